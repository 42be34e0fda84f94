SELECT C.Name, O.* FROM Customer C, "Order Items" O WHERE C.CustNo = :CustNo

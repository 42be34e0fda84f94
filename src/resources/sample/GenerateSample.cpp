// Writes the sample database of the project as SQL text, and loads that text into a SQLite
// file. The data is made up by a fixed pseudo-random sequence, so every run produces the same
// bytes on every machine. The SQL uses standard types and double-quoted names for the table
// and field whose names hold a blank, and loads unchanged into SQLite and PostgreSQL.
//
//   diduza-sample --sql OUT.sql                write the SQL text
//   diduza-sample --sqlite OUT.sqlite IN.sql   build a SQLite database from the SQL text
//   diduza-sample --postgres OUT.sql           write the SQL of the schema that only the
//                                              PostgreSQL sample has, loaded after the first

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

// splitmix64: small, fast and the same everywhere, unlike the standard distributions.
class Sequence {
public:
    explicit Sequence(std::uint64_t seed)
        : m_state(seed)
    {
    }
    std::uint64_t next()
    {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // A number from low to high, both included.
    int between(int low, int high) { return low + int(next() % std::uint64_t(high - low + 1)); }
    template <typename T> const T &pick(const std::vector<T> &values)
    {
        return values[std::size_t(between(0, int(values.size()) - 1))];
    }

private:
    std::uint64_t m_state;
};

struct Place {
    const char *city;
    const char *country;
};

const std::vector<Place> Places = {
    { "Berlin", "Germany" },
    { "Hamburg", "Germany" },
    { "München", "Germany" },
    { "London", "UK" },
    { "Manchester", "UK" },
    { "Paris", "France" },
    { "Lyon", "France" },
    { "Madrid", "Spain" },
    { "Sevilla", "Spain" },
    { "Lisboa", "Portugal" },
    { "Zürich", "Switzerland" },
    { "Wien", "Austria" },
    { "Kraków", "Poland" },
    { "Praha", "Czechia" },
    { "Oslo", "Norway" },
    { "Stockholm", "Sweden" },
    { "Boston", "USA" },
    { "Seattle", "USA" },
    { "Montréal", "Canada" },
    { "São Paulo", "Brazil" },
    { "Buenos Aires", "Argentina" },
    { "Melbourne", "Australia" },
};

const std::vector<const char *> Surnames = {
    "Adler",
    "Baker",
    "Castillo",
    "Dubois",
    "Eriksen",
    "Fischer",
    "García",
    "Hansen",
    "Ibsen",
    "Jensen",
    "Kowalski",
    "Larsen",
    "Moreau",
    "Novák",
    "O'Neill",
    "Pereira",
    "Quinn",
    "Rossi",
    "Schmidt",
    "Torres",
    "Ulrich",
    "Vogel",
    "Weber",
    "Xavier",
    "Young",
    "Zimmer",
    "Berger",
    "Carvalho",
    "Lindqvist",
    "Nowak",
};

const std::vector<const char *> CompanyKinds = {
    "Trading",
    "Imports",
    "Delicatessen",
    "Market",
    "Foods",
    "& Sons",
    "Grocers",
    "Wholesale",
    "Store",
    "Provisions",
};

const std::vector<const char *> FirstNames = {
    "Anna",
    "Bruno",
    "Clara",
    "David",
    "Elena",
    "Felix",
    "Greta",
    "Hugo",
    "Ines",
    "Jonas",
    "Karin",
    "Luis",
    "Marta",
    "Nils",
    "Olga",
    "Pablo",
};

struct Category {
    const char *name;
    std::vector<const char *> products;
};

const std::vector<Category> Categories = {
    { "Beverages",
        { "Green Tea", "Black Tea", "Espresso Beans", "Apple Juice", "Lemonade", "Ginger Beer",
            "Mineral Water", "Cocoa" } },
    { "Condiments",
        { "Mustard", "Ketchup", "Chili Sauce", "Olive Oil", "Balsamic Vinegar", "Sea Salt",
            "Pepper Mix" } },
    { "Dairy", { "Gouda", "Cheddar", "Mozzarella", "Butter", "Yoghurt", "Feta", "Cream" } },
    { "Bakery", { "Rye Bread", "Baguette", "Croissants", "Oat Biscuits", "Pretzels", "Ciabatta" } },
    { "Produce",
        { "Dried Apples", "Tofu", "Potatoes", "Tomatoes", "Mushrooms", "Lentils", "Chickpeas" } },
    { "Seafood", { "Smoked Salmon", "Herring", "Tuna", "Shrimps", "Anchovies", "Crab Meat" } },
    { "Confections",
        { "Chocolate", "Marzipan", "Licorice", "Honey", "Jam", "Gingerbread", "Toffee" } },
    { "Grains",
        { "Basmati Rice", "Spaghetti", "Couscous", "Polenta", "Muesli", "Quinoa", "Rye Flour",
            "Semolina", "Oat Flakes", "Barley" } },
};

const std::vector<const char *> Titles = {
    "Sales Representative",
    "Sales Representative",
    "Sales Representative",
    "Inside Sales Coordinator",
    "Account Manager",
};

QString text(const char *value)
{
    return QString::fromUtf8(value);
}

// A string literal: single quotes, embedded quotes doubled.
QString quoted(const QString &value)
{
    QString out = value;
    out.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + out + QLatin1Char('\'');
}

QString quoted(const char *value)
{
    return quoted(text(value));
}

QString dateLiteral(const QDate &date)
{
    return quoted(date.toString(QStringLiteral("yyyy-MM-dd")));
}

// An amount in cents as a decimal literal with two places.
QString money(std::int64_t cents)
{
    return QStringLiteral("%1.%2").arg(cents / 100).arg(int(cents % 100), 2, 10, QLatin1Char('0'));
}

QString phone(Sequence &seq)
{
    return quoted(QStringLiteral("+%1 %2 %3")
                      .arg(seq.between(1, 99))
                      .arg(seq.between(100, 999))
                      .arg(seq.between(10000, 99999)));
}

// Collects rows and writes them as INSERT statements of up to 100 rows each.
class Inserts {
public:
    Inserts(QTextStream &out, const QString &table, const QString &columns)
        : m_out(out)
        , m_head(QStringLiteral("INSERT INTO %1 (%2) VALUES").arg(table, columns))
    {
    }
    ~Inserts() { flush(); }
    void add(const QStringList &values)
    {
        m_rows.append(QLatin1Char('(') + values.join(QStringLiteral(", ")) + QLatin1Char(')'));
        if (m_rows.size() == 100)
            flush();
    }

private:
    void flush()
    {
        if (m_rows.isEmpty())
            return;
        m_out << m_head << "\n  " << m_rows.join(QStringLiteral(",\n  ")) << ";\n";
        m_rows.clear();
    }
    QTextStream &m_out;
    QString m_head;
    QStringList m_rows;
};

const char Schema[] = R"(-- Diduza sample database: a small wholesale business.
-- Generated by diduza-sample; loads into SQLite and PostgreSQL.

DROP TABLE IF EXISTS "order details";
DROP TABLE IF EXISTS orders;
DROP TABLE IF EXISTS employees;
DROP TABLE IF EXISTS customer;
DROP TABLE IF EXISTS products;
DROP TABLE IF EXISTS suppliers;

CREATE TABLE suppliers (
  id INTEGER NOT NULL PRIMARY KEY,
  name VARCHAR(60) NOT NULL,
  contact VARCHAR(60),
  city VARCHAR(40),
  country VARCHAR(40),
  phone VARCHAR(24)
);

CREATE TABLE products (
  id INTEGER NOT NULL PRIMARY KEY,
  name VARCHAR(60) NOT NULL,
  supplier_id INTEGER NOT NULL REFERENCES suppliers (id),
  category VARCHAR(30) NOT NULL,
  "unit price" NUMERIC(10, 2) NOT NULL,
  units_in_stock INTEGER NOT NULL,
  discontinued SMALLINT NOT NULL
);

CREATE TABLE customer (
  id INTEGER NOT NULL PRIMARY KEY,
  name VARCHAR(60) NOT NULL,
  contact VARCHAR(60),
  city VARCHAR(40),
  country VARCHAR(40),
  phone VARCHAR(24),
  since DATE
);

CREATE TABLE employees (
  id INTEGER NOT NULL PRIMARY KEY,
  first_name VARCHAR(30) NOT NULL,
  last_name VARCHAR(30) NOT NULL,
  title VARCHAR(40),
  city VARCHAR(40),
  hire_date DATE,
  reports_to INTEGER REFERENCES employees (id)
);

CREATE TABLE orders (
  id INTEGER NOT NULL PRIMARY KEY,
  customer_id INTEGER NOT NULL REFERENCES customer (id),
  employee_id INTEGER NOT NULL REFERENCES employees (id),
  order_date DATE NOT NULL,
  shipped_date DATE,
  ship_city VARCHAR(40),
  amount NUMERIC(12, 2) NOT NULL
);

CREATE TABLE "order details" (
  order_id INTEGER NOT NULL REFERENCES orders (id),
  line_no INTEGER NOT NULL,
  product_id INTEGER NOT NULL REFERENCES products (id),
  quantity INTEGER NOT NULL,
  "unit price" NUMERIC(10, 2) NOT NULL,
  discount NUMERIC(4, 2) NOT NULL,
  PRIMARY KEY (order_id, line_no)
);

CREATE INDEX orders_customer_id ON orders (customer_id);
CREATE INDEX order_details_product_id ON "order details" (product_id);
)";

// A second schema, for PostgreSQL only (the tests count the SQLite sample's tables): composite
// keys, keys whose order differs from the columns', a table that references itself, keys to the
// public schema, quoted and mixed-case names (one table differs from a public one only in its
// letter case), and a table without a primary key.
const char PostgresSchema[] = R"(-- Diduza sample database, PostgreSQL only: the warehouse.
-- Generated by diduza-sample; loaded after diduza-sample.sql.

DROP SCHEMA IF EXISTS "Warehouse" CASCADE;
CREATE SCHEMA "Warehouse";

CREATE TABLE "Warehouse"."Bins" (
  "Aisle" INTEGER NOT NULL,
  "Shelf" INTEGER NOT NULL,
  label VARCHAR(20) NOT NULL,
  "Parent Aisle" INTEGER,
  "Parent Shelf" INTEGER,
  CONSTRAINT "Bins_pkey" PRIMARY KEY ("Aisle", "Shelf"),
  CONSTRAINT "Bin in bin" FOREIGN KEY ("Parent Aisle", "Parent Shelf")
    REFERENCES "Warehouse"."Bins" ("Aisle", "Shelf")
);

CREATE TABLE "Warehouse"."StockLevels" (
  "productId" INTEGER NOT NULL,
  "Bin Aisle" INTEGER NOT NULL,
  "Bin Shelf" INTEGER NOT NULL,
  quantity INTEGER NOT NULL,
  CONSTRAINT "StockLevels_pkey" PRIMARY KEY ("Bin Shelf", "Bin Aisle", "productId"),
  CONSTRAINT "Stock of product" FOREIGN KEY ("productId") REFERENCES public.products (id),
  CONSTRAINT "Stock in bin" FOREIGN KEY ("Bin Shelf", "Bin Aisle")
    REFERENCES "Warehouse"."Bins" ("Shelf", "Aisle")
);

CREATE TABLE "Warehouse"."Movements" (
  moved_at TIMESTAMP NOT NULL,
  product_id INTEGER NOT NULL REFERENCES public.products (id),
  "From Aisle" INTEGER,
  "From Shelf" INTEGER,
  "To Aisle" INTEGER,
  "To Shelf" INTEGER,
  quantity INTEGER NOT NULL,
  moved_by INTEGER REFERENCES public.employees (id),
  CONSTRAINT "Moved from" FOREIGN KEY ("From Aisle", "From Shelf") REFERENCES "Warehouse"."Bins",
  CONSTRAINT "Moved to" FOREIGN KEY ("To Aisle", "To Shelf") REFERENCES "Warehouse"."Bins"
);

CREATE TABLE "Warehouse"."Orders" (
  "Pick No" INTEGER NOT NULL PRIMARY KEY,
  order_id INTEGER NOT NULL REFERENCES public.orders (id),
  picked_by INTEGER REFERENCES public.employees (id)
);

INSERT INTO "Warehouse"."Bins" ("Aisle", "Shelf", label, "Parent Aisle", "Parent Shelf") VALUES
  (1, 1, 'A', NULL, NULL),
  (1, 2, 'A-2', 1, 1),
  (1, 3, 'A-3', 1, 1),
  (2, 1, 'B', NULL, NULL),
  (2, 2, 'B-2', 2, 1);
INSERT INTO "Warehouse"."StockLevels" ("productId", "Bin Aisle", "Bin Shelf", quantity) VALUES
  (1, 1, 2, 40),
  (2, 1, 2, 12),
  (3, 1, 3, 7),
  (1, 2, 2, 25);
INSERT INTO "Warehouse"."Movements" (moved_at, product_id, "From Aisle", "From Shelf", "To Aisle",
    "To Shelf", quantity, moved_by) VALUES
  ('2023-03-01 08:15:00', 1, NULL, NULL, 1, 2, 50, 3),
  ('2023-03-02 10:40:00', 1, 1, 2, 2, 2, 10, 4),
  ('2023-03-02 11:05:00', 3, NULL, NULL, 1, 3, 7, NULL);
INSERT INTO "Warehouse"."Orders" ("Pick No", order_id, picked_by) VALUES
  (1, 1, 3),
  (2, 2, 4),
  (3, 5, NULL);
)";

void writeSql(QTextStream &out)
{
    Sequence seq(20240611);
    out << Schema;

    const int supplierCount = 12;
    {
        out << "\n";
        Inserts rows(out, QStringLiteral("suppliers"),
            QStringLiteral("id, name, contact, city, country, phone"));
        for (int id = 1; id <= supplierCount; ++id) {
            const Place &place = seq.pick(Places);
            const QString name = text(Surnames[std::size_t(id * 7 % int(Surnames.size()))])
                + QStringLiteral(" Supplies");
            const QString contact
                = text(seq.pick(FirstNames)) + QLatin1Char(' ') + text(seq.pick(Surnames));
            rows.add({ QString::number(id), quoted(name), quoted(contact), quoted(place.city),
                quoted(place.country), phone(seq) });
        }
    }

    std::vector<std::int64_t> priceCents;
    {
        out << "\n";
        Inserts rows(out, QStringLiteral("products"),
            QStringLiteral("id, name, supplier_id, category, \"unit price\", "
                           "units_in_stock, discontinued"));
        int id = 0;
        for (const Category &category : Categories) {
            for (const char *product : category.products) {
                ++id;
                const std::int64_t cents = std::int64_t(seq.between(50, 1200)) * 5;
                priceCents.push_back(cents);
                rows.add({ QString::number(id), quoted(product),
                    QString::number(seq.between(1, supplierCount)), quoted(category.name),
                    money(cents), QString::number(seq.between(0, 120)),
                    QString::number(seq.between(0, 19) == 0 ? 1 : 0) });
            }
        }
    }

    const int customerCount = 150;
    {
        out << "\n";
        Inserts rows(out, QStringLiteral("customer"),
            QStringLiteral("id, name, contact, city, country, phone, since"));
        // Every surname with every kind of business, walked with a stride that is prime to
        // their product, so that the names are distinct.
        const int combinations = int(Surnames.size() * CompanyKinds.size());
        for (int id = 1; id <= customerCount; ++id) {
            const int combination = (id * 37) % combinations;
            const QString name = text(Surnames[std::size_t(combination % int(Surnames.size()))])
                + QLatin1Char(' ')
                + text(CompanyKinds[std::size_t(combination / int(Surnames.size()))]);
            const Place &place = seq.pick(Places);
            const QString contact
                = text(seq.pick(FirstNames)) + QLatin1Char(' ') + text(seq.pick(Surnames));
            const QDate since = QDate(2015, 1, 1).addDays(seq.between(0, 2500));
            rows.add({ QString::number(id), quoted(name), quoted(contact), quoted(place.city),
                quoted(place.country), phone(seq), dateLiteral(since) });
        }
    }

    const int employeeCount = 12;
    std::vector<QString> employeeCities;
    {
        out << "\n";
        Inserts rows(out, QStringLiteral("employees"),
            QStringLiteral("id, first_name, last_name, title, city, hire_date, "
                           "reports_to"));
        for (int id = 1; id <= employeeCount; ++id) {
            const Place &place = Places[std::size_t(id % 4)];
            employeeCities.push_back(text(place.city));
            QString title = text(seq.pick(Titles));
            QString boss = QString::number(id <= 3 ? 1 : 2);
            if (id == 1) {
                title = QStringLiteral("Managing Director");
                boss = QStringLiteral("NULL");
            } else if (id == 2) {
                title = QStringLiteral("Sales Manager");
            }
            const QDate hired = QDate(2012, 3, 1).addDays(seq.between(0, 3000));
            rows.add({ QString::number(id), quoted(FirstNames[std::size_t(id - 1)]),
                quoted(Surnames[std::size_t(id * 5 % int(Surnames.size()))]), quoted(title),
                quoted(place.city), dateLiteral(hired), boss });
        }
    }

    // Orders and their lines; an order's amount is the sum of its lines, each line quantity
    // times unit price less the discount, rounded to the cent.
    const int orderCount = 1500;
    QString orderRows;
    {
        out << "\n";
        Inserts orders(out, QStringLiteral("orders"),
            QStringLiteral("id, customer_id, employee_id, order_date, shipped_date, "
                           "ship_city, amount"));
        QTextStream lineOut(&orderRows);
        Inserts lines(lineOut, QStringLiteral("\"order details\""),
            QStringLiteral("order_id, line_no, product_id, quantity, \"unit price\", "
                           "discount"));
        for (int id = 1; id <= orderCount; ++id) {
            // A quarter of the customers place most of the orders.
            const int customer = seq.between(0, 2) == 0 ? seq.between(1, customerCount)
                                                        : seq.between(1, customerCount / 4);
            const QDate ordered = QDate(2022, 1, 1).addDays(seq.between(0, 729));
            const int lineCount = seq.between(1, 4);
            std::int64_t amount = 0;
            for (int line = 1; line <= lineCount; ++line) {
                const int product = seq.between(1, int(priceCents.size()));
                const int quantity = seq.between(1, 12);
                const int discount = seq.between(0, 3) == 0 ? 5 * seq.between(1, 4) : 0;
                const std::int64_t price = priceCents[std::size_t(product - 1)];
                amount += (std::int64_t(quantity) * price * (100 - discount) + 50) / 100;
                lines.add({ QString::number(id), QString::number(line), QString::number(product),
                    QString::number(quantity), money(price),
                    QStringLiteral("0.%1").arg(discount, 2, 10, QLatin1Char('0')) });
            }
            const QString shipped = seq.between(0, 9) == 0
                ? QStringLiteral("NULL")
                : dateLiteral(ordered.addDays(seq.between(1, 14)));
            orders.add({ QString::number(id), QString::number(customer),
                QString::number(seq.between(1, employeeCount)), dateLiteral(ordered), shipped,
                quoted(seq.pick(Places).city), money(amount) });
        }
    }
    out << "\n" << orderRows;
}

// Splits SQL text into statements at semicolons outside quotes and comments.
QStringList splitStatements(const QString &sql)
{
    QStringList statements;
    QString current;
    QChar quote;
    for (qsizetype i = 0; i < sql.size(); ++i) {
        const QChar c = sql.at(i);
        if (!quote.isNull()) {
            current += c;
            if (c == quote)
                quote = QChar();
            continue;
        }
        if (c == QLatin1Char('-') && i + 1 < sql.size() && sql.at(i + 1) == QLatin1Char('-')) {
            while (i < sql.size() && sql.at(i) != QLatin1Char('\n'))
                ++i;
            continue;
        }
        if (c == QLatin1Char(';')) {
            if (!current.trimmed().isEmpty())
                statements.append(current.trimmed());
            current.clear();
            continue;
        }
        if (c == QLatin1Char('\'') || c == QLatin1Char('"'))
            quote = c;
        current += c;
    }
    if (!current.trimmed().isEmpty())
        statements.append(current.trimmed());
    return statements;
}

int fail(const QString &message)
{
    std::fprintf(stderr, "diduza-sample: %s\n", qPrintable(message));
    return 1;
}

int writeSqlFile(const QString &path, void (*write)(QTextStream &))
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());
    {
        QTextStream out(&file);
        out.setEncoding(QStringConverter::Utf8);
        write(out);
        out.flush();
        if (out.status() != QTextStream::Ok)
            return fail(QStringLiteral("cannot write %1").arg(path));
    }
    if (!file.commit())
        return fail(file.errorString());
    return 0;
}

int buildSqlite(const QString &dbPath, const QString &sqlPath)
{
    QFile input(sqlPath);
    if (!input.open(QIODevice::ReadOnly))
        return fail(input.errorString());
    const QString sql = QString::fromUtf8(input.readAll());

    // Build next to the target and move into place, so that a failed run leaves no half file.
    const QString partPath = dbPath + QStringLiteral(".part");
    QFile::remove(partPath);
    int result = 0;
    {
        QSqlDatabase db
            = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("diduza-sample"));
        db.setDatabaseName(partPath);
        if (!db.open()) {
            result = fail(db.lastError().text());
        } else {
            db.transaction();
            QSqlQuery query(db);
            for (const QString &statement : splitStatements(sql)) {
                if (!query.exec(statement)) {
                    result = fail(QStringLiteral("%1\n%2").arg(
                        query.lastError().text(), statement.left(200)));
                    break;
                }
            }
            query.finish();
            if (result == 0 && !db.commit())
                result = fail(db.lastError().text());
            else if (result != 0)
                db.rollback();
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("diduza-sample"));
    if (result != 0) {
        QFile::remove(partPath);
        return result;
    }
    QFile::remove(dbPath);
    if (!QFile::rename(partPath, dbPath))
        return fail(QStringLiteral("cannot move %1 to %2").arg(partPath, dbPath));
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args.at(1) == QLatin1String("--sql"))
        return writeSqlFile(args.at(2), writeSql);
    if (args.size() == 3 && args.at(1) == QLatin1String("--postgres"))
        return writeSqlFile(args.at(2), [](QTextStream &out) { out << PostgresSchema; });
    if (args.size() == 4 && args.at(1) == QLatin1String("--sqlite"))
        return buildSqlite(args.at(2), args.at(3));
    return fail(QStringLiteral("usage: diduza-sample --sql OUT.sql | --sqlite OUT.sqlite IN.sql | "
                               "--postgres OUT.sql"));
}

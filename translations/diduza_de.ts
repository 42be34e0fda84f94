<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>Diduza</name>
    <message>
        <source>The calculated column has no expression.</source>
        <translation>Die berechnete Spalte hat keinen Ausdruck.</translation>
    </message>
    <message>
        <source>The expression holds a second statement: a calculated column holds one value.</source>
        <translation>Der Ausdruck enthält eine zweite Anweisung: Eine berechnete Spalte enthält einen Wert.</translation>
    </message>
    <message>
        <source>syntax error at the end of the expression</source>
        <translation>Syntaxfehler am Ende des Ausdrucks</translation>
    </message>
    <message>
        <source>The text is not one expression: a calculated column holds one value, without a further column, clause or statement.</source>
        <translation>Der Text ist nicht ein Ausdruck: Eine berechnete Spalte enthält einen Wert, ohne weitere Spalte, Klausel oder Anweisung.</translation>
    </message>
    <message>
        <source>A calculated column holds one value, not all fields (*).</source>
        <translation>Eine berechnete Spalte enthält einen Wert, nicht alle Felder (*).</translation>
    </message>
    <message>
        <source>The calculated column is named twice.</source>
        <translation>Die berechnete Spalte ist zweimal benannt.</translation>
    </message>
    <message>
        <source>The expression names %1, which is not a table of the diagram.</source>
        <translation>Der Ausdruck nennt %1, keine Tabelle des Diagramms.</translation>
    </message>
</context>
<context>
    <name>Diduza::DesignerPlugin</name>
    <message>
        <source>A scrolling canvas of table windows with join lines between their rows.</source>
        <translation>Eine scrollbare Fläche mit Tabellenfenstern und Verknüpfungslinien zwischen ihren Zeilen.</translation>
    </message>
    <message>
        <source>The visual query builder, run modally by Execute; DataEngine names an engine of the form.</source>
        <translation>Der visuelle Abfrage-Generator, modal ausgeführt durch Execute; DataEngine nennt eine Daten-Engine des Formulars.</translation>
    </message>
    <message>
        <source>A data engine whose tables, fields and results come from its events.</source>
        <translation>Eine Daten-Engine, deren Tabellen, Felder und Ergebnisse aus ihren Ereignissen kommen.</translation>
    </message>
    <message>
        <source>A data engine with the settings of a desktop-database connection, answered by its events.</source>
        <translation>Eine Daten-Engine mit den Einstellungen einer Desktop-Datenbankverbindung, beantwortet durch ihre Ereignisse.</translation>
    </message>
</context>
<context>
    <name>Diduza::Exception</name>
    <message>
        <source>Operation aborted</source>
        <translation>Vorgang abgebrochen</translation>
    </message>
    <message>
        <source>Invalid class typecast</source>
        <translation>Ungültige Klassentypumwandlung</translation>
    </message>
</context>
<context>
    <name>Diduza::QueryGenerator</name>
    <message>
        <source>Columns that need grouping (tick Grouping): %1</source>
        <translation>Spalten, die gruppiert werden müssen (Gruppierung ankreuzen): %1</translation>
    </message>
    <message numerus="yes">
        <source>The local dialect writes outer joins as plain conditions: %n outer join(s) keep only the matching rows.</source>
        <translation>
            <numerusform>Der lokale Dialekt schreibt äußere Verknüpfungen als einfache Bedingungen: %n äußere Verknüpfung behält nur die übereinstimmenden Zeilen.</numerusform>
            <numerusform>Der lokale Dialekt schreibt äußere Verknüpfungen als einfache Bedingungen: %n äußere Verknüpfungen behalten nur die übereinstimmenden Zeilen.</numerusform>
        </translation>
    </message>
    <message>
        <source>The relation %1 is a full outer join, which this database cannot run (MySQL and MariaDB have no FULL JOIN). Choose another join type in the relation&apos;s properties: Left Outer keeps every row of %2, Right Outer every row of %3, Inner only the rows that match.</source>
        <translation>Die Beziehung %1 ist ein vollständiger äußerer Join, den diese Datenbank nicht ausführen kann (MySQL und MariaDB kennen kein FULL JOIN). Wählen Sie in den Eigenschaften der Beziehung eine andere Verknüpfungsart: „Linker äußerer“ behält jede Zeile von %2, „Rechter äußerer“ jede Zeile von %3, „Innerer“ nur die passenden Zeilen.</translation>
    </message>
    <message>
        <source>The relation %1 is a join this database cannot run. Choose another join type in the relation&apos;s properties.</source>
        <translation>Die Beziehung %1 ist ein Join, den diese Datenbank nicht ausführen kann. Wählen Sie in den Eigenschaften der Beziehung eine andere Verknüpfungsart.</translation>
    </message>
    <message>
        <source>it names a table that is no longer in the diagram</source>
        <translation>er nennt eine Tabelle, die nicht mehr im Diagramm ist</translation>
    </message>
    <message>
        <source>The calculated column %1 (%2) cannot be written: %3</source>
        <translation>Die berechnete Spalte %1 (%2) kann nicht geschrieben werden: %3</translation>
    </message>
    <message numerus="yes">
        <source>The MS SQL dialect skips rows only in a sorted statement: sort a column, or the first %n row(s) are not skipped.</source>
        <translation>
            <numerusform>Der MS-SQL-Dialekt überspringt Zeilen nur in einer sortierten Anweisung: Sortieren Sie eine Spalte, sonst wird die erste Zeile nicht übersprungen.</numerusform>
            <numerusform>Der MS-SQL-Dialekt überspringt Zeilen nur in einer sortierten Anweisung: Sortieren Sie eine Spalte, sonst werden die ersten %n Zeilen nicht übersprungen.</numerusform>
        </translation>
    </message>
    <message>
        <source>A compound statement sorts by its output columns: the sort of column(s) %1, which are not shown or follow a column of all fields, is not written.</source>
        <translation>Eine zusammengesetzte Anweisung sortiert nach ihren Ausgabespalten: Die Sortierung der Spalte(n) %1, die nicht angezeigt werden oder einer Spalte aller Felder folgen, wird nicht geschrieben.</translation>
    </message>
    <message>
        <source>Block %1: %2</source>
        <translation>Block %1: %2</translation>
    </message>
    <message>
        <source>Block %1 is sorted, but a compound statement is sorted by the first block&apos;s columns: its sort is not written.</source>
        <translation>Block %1 ist sortiert, aber eine zusammengesetzte Anweisung wird nach den Spalten des ersten Blocks sortiert: Seine Sortierung wird nicht geschrieben.</translation>
    </message>
    <message>
        <source>The MS SQL dialect limits the rows of a compound statement only when it is sorted: sort a column of the first block, or the row limit is not written.</source>
        <translation>Der MS-SQL-Dialekt begrenzt die Zeilen einer zusammengesetzten Anweisung nur, wenn sie sortiert ist: Sortieren Sie eine Spalte des ersten Blocks, sonst wird die Zeilengrenze nicht geschrieben.</translation>
    </message>
    <message>
        <source>INTERSECT after UNION or EXCEPT: PostgreSQL, MySQL and MariaDB join the INTERSECT first, SQLite reads the blocks from left to right. Move the INTERSECT blocks to the front to mean the same everywhere.</source>
        <translation>INTERSECT nach UNION oder EXCEPT: PostgreSQL, MySQL und MariaDB verbinden zuerst das INTERSECT, SQLite liest die Blöcke von links nach rechts. Stellen Sie die INTERSECT-Blöcke nach vorn, damit die Anweisung überall dasselbe bedeutet.</translation>
    </message>
    <message>
        <source>The relation %1 joins tables that the relation %2 joins already: it is written in the same %3 ... ON and acts as that join, not as its own kind.</source>
        <translation>Die Beziehung %1 verbindet Tabellen, die die Beziehung %2 schon verbindet: Sie steht im selben %3 ... ON und wirkt als dieser Join, nicht als ihre eigene Art.</translation>
    </message>
    <message>
        <source>This dialect sorts an aggregated column by its field, not by its value: %1.</source>
        <translation>Dieser Dialekt sortiert eine aggregierte Spalte nach ihrem Feld, nicht nach ihrem Wert: %1.</translation>
    </message>
    <message>
        <source>The outer join %1 has further conditions (%2): this dialect writes them in WHERE, which leaves out the rows they reject instead of keeping them unmatched.</source>
        <translation>Der äußere Join %1 hat weitere Bedingungen (%2): Dieser Dialekt schreibt sie in WHERE, das die Zeilen, die sie verwerfen, auslässt, statt sie ohne Partner zu behalten.</translation>
    </message>
    <message>
        <source>This dialect does not keep the order of the joins: they are made inner joins first, then left, right and full outer joins, which may return other rows.</source>
        <translation>Dieser Dialekt behält die Reihenfolge der Joins nicht: Zuerst werden die inneren Joins gebildet, dann die linken, rechten und vollständigen äußeren, was andere Zeilen liefern kann.</translation>
    </message>
</context>
<context>
    <name>Diduza::QueryImport</name>
    <message>
        <source>the joins in parentheses, which the builder cannot write as one chain of joins</source>
        <translation>die Verknüpfungen in Klammern, die der Generator nicht als eine Kette von Verknüpfungen schreiben kann</translation>
    </message>
    <message>
        <source>the outer joins: the local dialect writes them as plain conditions, which keep only the matching rows</source>
        <translation>die äußeren Verknüpfungen: Der lokale Dialekt schreibt sie als einfache Bedingungen, die nur die passenden Zeilen behalten</translation>
    </message>
    <message>
        <source>the condition %1: it cannot move past the outer join that follows it</source>
        <translation>die Bedingung %1: Sie kann nicht hinter die folgende äußere Verknüpfung wandern</translation>
    </message>
    <message>
        <source>the outer join of %1: its ON compares no column of it with a column of the tables before it</source>
        <translation>die äußere Verknüpfung von %1: Ihr ON vergleicht keine ihrer Spalten mit einer Spalte der Tabellen davor</translation>
    </message>
    <message>
        <source>the condition %1 of the join of %2 (the extended grid keeps it with its relation)</source>
        <translation>die Bedingung %1 der Verknüpfung von %2 (das erweiterte Raster behält sie bei ihrer Beziehung)</translation>
    </message>
    <message>
        <source>the order of the joins: the diagram cannot be drawn so that its statement joins the tables as this one does</source>
        <translation>die Reihenfolge der Verknüpfungen: Das Diagramm lässt sich nicht so zeichnen, dass seine Anweisung die Tabellen wie diese verknüpft</translation>
    </message>
    <message>
        <source>the field %1: no table of the statement has it</source>
        <translation>das Feld %1: Keine Tabelle der Anweisung hat es</translation>
    </message>
    <message>
        <source>%1 of the field list (the extended grid has it)</source>
        <translation>%1 der Feldliste (das erweiterte Raster hat es)</translation>
    </message>
    <message>
        <source>the column name %1 of %2 (the extended grid has it)</source>
        <translation>der Spaltenname %1 von %2 (das erweiterte Raster hat ihn)</translation>
    </message>
    <message>
        <source>the grouping by %1, which names an aggregate</source>
        <translation>die Gruppierung nach %1, die ein Aggregat nennt</translation>
    </message>
    <message>
        <source>the grouping by %1</source>
        <translation>die Gruppierung nach %1</translation>
    </message>
    <message>
        <source>the HAVING condition %1 (there is no grouped column to hold it)</source>
        <translation>die HAVING-Bedingung %1 (keine gruppierte Spalte kann sie aufnehmen)</translation>
    </message>
    <message>
        <source>the order of ORDER BY: the builder sorts in the order of the columns (the extended grid has a sort order)</source>
        <translation>die Reihenfolge von ORDER BY: Der Generator sortiert in der Reihenfolge der Spalten (das erweiterte Raster hat eine Sortierfolge)</translation>
    </message>
    <message>
        <source>the condition %1 (there is no column to hold it)</source>
        <translation>die Bedingung %1 (keine Spalte kann sie aufnehmen)</translation>
    </message>
    <message>
        <source>the field list: none of its entries is a column the builder can show</source>
        <translation>die Feldliste: Keiner ihrer Einträge ist eine Spalte, die der Generator zeigen kann</translation>
    </message>
    <message>
        <source>fields that exclude each other (a table&apos;s * and its single fields): %1</source>
        <translation>Felder, die einander ausschließen (das * einer Tabelle und ihre einzelnen Felder): %1</translation>
    </message>
    <message>
        <source>the field %1 a second time (the extended grid has it)</source>
        <translation>das Feld %1 ein zweites Mal (das erweiterte Raster hat es)</translation>
    </message>
    <message>
        <source>%1: a column number where * stands before it</source>
        <translation>%1: eine Spaltennummer, vor der * steht</translation>
    </message>
    <message>
        <source>%1: a column number the builder cannot follow</source>
        <translation>%1: eine Spaltennummer, der der Generator nicht folgen kann</translation>
    </message>
    <message>
        <source>the grouping by %1, which is not in the field list (the extended grid has a Show row)</source>
        <translation>die Gruppierung nach %1, das nicht in der Feldliste steht (das erweiterte Raster hat eine Zeile „Anzeigen“)</translation>
    </message>
    <message>
        <source>the sorting by %1, which names all fields</source>
        <translation>die Sortierung nach %1, die alle Felder nennt</translation>
    </message>
    <message>
        <source>the sorting by %1</source>
        <translation>die Sortierung nach %1</translation>
    </message>
    <message>
        <source>the sorting by %1, which is not in the field list (the extended grid has a Show row)</source>
        <translation>die Sortierung nach %1, das nicht in der Feldliste steht (das erweiterte Raster hat eine Zeile „Anzeigen“)</translation>
    </message>
    <message>
        <source>%1, a field of a table whose * is in the field list: the builder shows a table&apos;s * or its single fields</source>
        <translation>%1, ein Feld einer Tabelle, deren * in der Feldliste steht: Der Generator zeigt das * einer Tabelle oder ihre einzelnen Felder</translation>
    </message>
    <message>
        <source>the row limit (LIMIT, OFFSET; the extended grid has it)</source>
        <translation>die Zeilengrenze (LIMIT, OFFSET; das erweiterte Raster hat sie)</translation>
    </message>
    <message>
        <source>UNION, INTERSECT or EXCEPT: only the first SELECT is shown (the extended grid shows each SELECT as a block)</source>
        <translation>UNION, INTERSECT oder EXCEPT: nur das erste SELECT wird gezeigt (das erweiterte Raster zeigt jedes SELECT als Block)</translation>
    </message>
    <message>
        <source>the field %1: the table has no such column</source>
        <translation>das Feld %1: Die Tabelle hat keine solche Spalte</translation>
    </message>
    <message>
        <source>the expression %1 of the field list (the extended grid has calculated columns)</source>
        <translation>der Ausdruck %1 der Feldliste (das erweiterte Raster hat berechnete Spalten)</translation>
    </message>
    <message>
        <source>the expression %1 of the field list, which names %2, no table of the statement</source>
        <translation>der Ausdruck %1 der Feldliste, der %2 nennt, keine Tabelle der Anweisung</translation>
    </message>
    <message>
        <source>the grouping by %1 (the extended grid has calculated columns)</source>
        <translation>die Gruppierung nach %1 (das erweiterte Raster hat berechnete Spalten)</translation>
    </message>
    <message>
        <source>the sorting by %1: this dialect sorts by the column, not its aggregate (the extended grid sorts by a calculated column)</source>
        <translation>die Sortierung nach %1: Dieser Dialekt sortiert nach der Spalte, nicht nach ihrem Aggregat (das erweiterte Raster sortiert nach einer berechneten Spalte)</translation>
    </message>
    <message>
        <source>the sorting by %1 (the extended grid has calculated columns)</source>
        <translation>die Sortierung nach %1 (das erweiterte Raster hat berechnete Spalten)</translation>
    </message>
    <message>
        <source>the sorting by %1 of a compound statement (the builder sorts it by an output column)</source>
        <translation>die Sortierung nach %1 einer zusammengesetzten Anweisung (der Generator sortiert sie nach einer Ausgabespalte)</translation>
    </message>
</context>
<context>
    <name>Diduza::SchemaAccessible</name>
    <message numerus="yes">
        <source>table with %n field(s)</source>
        <translation>
            <numerusform>Tabelle mit %n Feld</numerusform>
            <numerusform>Tabelle mit %n Feldern</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>diagram of %n table(s)</source>
        <translation>
            <numerusform>Diagramm aus %n Tabelle</numerusform>
            <numerusform>Diagramm aus %n Tabellen</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>Diduza::SchemaFile</name>
    <message>
        <source>Section %1, key &quot;%2&quot;: %3</source>
        <translation>Abschnitt %1, Schlüssel „%2“: %3</translation>
    </message>
    <message>
        <source>missing</source>
        <translation>fehlt</translation>
    </message>
    <message>
        <source>missing (no such section)</source>
        <translation>fehlt (kein solcher Abschnitt)</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a valid integer value</source>
        <translation>„%1“ ist kein gültiger ganzzahliger Wert</translation>
    </message>
    <message>
        <source>%1 is not a valid value (0 to %2)</source>
        <translation>%1 ist kein gültiger Wert (0 bis %2)</translation>
    </message>
    <message>
        <source>The stream is not open for reading.</source>
        <translation>Der Datenstrom ist nicht zum Lesen geöffnet.</translation>
    </message>
    <message>
        <source>Cannot read &quot;%1&quot;: %2</source>
        <translation>„%1“ kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>Section %1: the item was removed while it was loaded.</source>
        <translation>Abschnitt %1: Das Element wurde beim Laden entfernt.</translation>
    </message>
    <message>
        <source>no item is named &quot;%1&quot;</source>
        <translation>kein Element heißt „%1“</translation>
    </message>
    <message>
        <source>the item &quot;%1&quot; has no row %2 (it has %3)</source>
        <translation>das Element „%1“ hat keine Zeile %2 (es hat %3)</translation>
    </message>
    <message>
        <source>The stream is not open for writing.</source>
        <translation>Der Datenstrom ist nicht zum Schreiben geöffnet.</translation>
    </message>
    <message>
        <source>Cannot write the schema: %1</source>
        <translation>Das Schema kann nicht geschrieben werden: %1</translation>
    </message>
    <message>
        <source>Cannot create file &quot;%1&quot;: %2</source>
        <translation>Die Datei „%1“ kann nicht angelegt werden: %2</translation>
    </message>
    <message>
        <source>Cannot write file &quot;%1&quot;: %2</source>
        <translation>Die Datei „%1“ kann nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>Cannot save file &quot;%1&quot;: %2</source>
        <translation>Die Datei „%1“ kann nicht gespeichert werden: %2</translation>
    </message>
    <message>
        <source>Cannot open file &quot;%1&quot;: %2</source>
        <translation>Die Datei „%1“ kann nicht geöffnet werden: %2</translation>
    </message>
    <message>
        <source>Section %1: the item &quot;%2&quot; could not be created</source>
        <translation>Abschnitt %1: Das Element „%2“ konnte nicht erzeugt werden</translation>
    </message>
</context>
<context>
    <name>Diduza::SelectImport</name>
    <message>
        <source>the WITH clause</source>
        <translation>die WITH-Klausel</translation>
    </message>
    <message>
        <source>INTO</source>
        <translation>INTO</translation>
    </message>
    <message>
        <source>FOR UPDATE</source>
        <translation>FOR UPDATE</translation>
    </message>
    <message>
        <source>WINDOW</source>
        <translation>WINDOW</translation>
    </message>
    <message>
        <source>VALUES</source>
        <translation>VALUES</translation>
    </message>
    <message numerus="yes">
        <source>The text holds %n statement(s), not one SELECT.</source>
        <translation>
            <numerusform>Der Text enthält %n Anweisung, nicht ein SELECT.</numerusform>
            <numerusform>Der Text enthält %n Anweisungen, nicht ein SELECT.</numerusform>
        </translation>
    </message>
    <message>
        <source>The statement is not a SELECT.</source>
        <translation>Die Anweisung ist kein SELECT.</translation>
    </message>
    <message>
        <source>DISTINCT ON (...): plain DISTINCT is not set</source>
        <translation>DISTINCT ON (...): einfaches DISTINCT wird nicht gesetzt</translation>
    </message>
    <message>
        <source>NATURAL and USING joins: their condition</source>
        <translation>NATURAL- und USING-Verknüpfungen: ihre Bedingung</translation>
    </message>
    <message>
        <source>The text holds a NUL character.</source>
        <translation>Der Text enthält ein NUL-Zeichen.</translation>
    </message>
    <message>
        <source>The parser&apos;s tree could not be read.</source>
        <translation>Der Baum des Parsers konnte nicht gelesen werden.</translation>
    </message>
    <message>
        <source>the column names of %1</source>
        <translation>die Spaltennamen von %1</translation>
    </message>
    <message>
        <source>ONLY %1</source>
        <translation>ONLY %1</translation>
    </message>
    <message>
        <source>the name %1 of a join in parentheses</source>
        <translation>der Name %1 einer Verknüpfung in Klammern</translation>
    </message>
    <message>
        <source>the FROM entry %1, which is not a table (a subquery or a function)</source>
        <translation>der FROM-Eintrag %1, der keine Tabelle ist (eine Unterabfrage oder eine Funktion)</translation>
    </message>
    <message>
        <source>the sorting by %1 USING an operator</source>
        <translation>die Sortierung nach %1 USING einen Operator</translation>
    </message>
    <message>
        <source>NULLS FIRST or LAST of the sorting by %1</source>
        <translation>NULLS FIRST oder LAST der Sortierung nach %1</translation>
    </message>
    <message>
        <source>&quot;--&quot; before a character other than a blank (%1) is two minus signs to this database and a comment to the import.</source>
        <translation>&quot;--&quot; vor einem anderen Zeichen als einem Leerzeichen (%1) sind für diese Datenbank zwei Minuszeichen, für den Import aber ein Kommentar.</translation>
    </message>
    <message>
        <source>The import cannot read a back-quoted name that holds a double quote or a back quote (%1).</source>
        <translation>Der Import kann einen in Backticks gesetzten Namen, der ein doppeltes Anführungszeichen oder einen Backtick enthält, nicht lesen (%1).</translation>
    </message>
    <message>
        <source>TOP %1 beside another row limit or over a compound statement</source>
        <translation>TOP %1 neben einer weiteren Zeilengrenze oder über einer zusammengesetzten Anweisung</translation>
    </message>
    <message>
        <source>FETCH FIRST ... WITH TIES %1</source>
        <translation>FETCH FIRST ... WITH TIES %1</translation>
    </message>
    <message>
        <source>the row limit %1</source>
        <translation>die Zeilengrenze %1</translation>
    </message>
    <message>
        <source>the rows skipped, %1</source>
        <translation>die übersprungenen Zeilen, %1</translation>
    </message>
    <message>
        <source>UNION, INTERSECT or EXCEPT in parentheses or with a sort or limit of a SELECT inside: only the first SELECT is shown</source>
        <translation>UNION, INTERSECT oder EXCEPT in Klammern oder mit einer Sortierung oder Grenze eines inneren SELECT: nur das erste SELECT wird gezeigt</translation>
    </message>
</context>
<context>
    <name>Diduza::TDialogService</name>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>Diduza::TSQLBuilderDialog</name>
    <message>
        <source>the joins</source>
        <translation>die Verknüpfungen</translation>
    </message>
    <message>
        <source>aggregates, expressions, column names and fields named through an alias</source>
        <translation>Aggregate, Ausdrücke, Spaltennamen und über einen Alias genannte Felder</translation>
    </message>
    <message>
        <source>WHERE</source>
        <translation>WHERE</translation>
    </message>
    <message>
        <source>GROUP BY</source>
        <translation>GROUP BY</translation>
    </message>
    <message>
        <source>HAVING</source>
        <translation>HAVING</translation>
    </message>
    <message>
        <source>ORDER BY</source>
        <translation>ORDER BY</translation>
    </message>
    <message>
        <source>DISTINCT</source>
        <translation>DISTINCT</translation>
    </message>
    <message>
        <source>Not imported (the full import reads it): %1</source>
        <translation>Nicht übernommen (der vollständige Import liest es): %1</translation>
    </message>
</context>
<context>
    <name>Diduza::TSchemaCatalog</name>
    <message>
        <source>type unknown</source>
        <translation>Typ unbekannt</translation>
    </message>
    <message>
        <source>%1, may be null</source>
        <translation>%1, darf leer sein</translation>
    </message>
    <message>
        <source>%1, not null</source>
        <translation>%1, nicht leer</translation>
    </message>
    <message>
        <source>Primary key</source>
        <translation>Primärschlüssel</translation>
    </message>
    <message>
        <source>Primary key, field %1 of %2</source>
        <translation>Primärschlüssel, Feld %1 von %2</translation>
    </message>
    <message>
        <source>References %1.%2</source>
        <translation>Verweist auf %1.%2</translation>
    </message>
    <message>
        <source>(key %1 of %2 fields: %3)</source>
        <translation>(Schlüssel %1 aus %2 Feldern: %3)</translation>
    </message>
    <message>
        <source>(key %1)</source>
        <translation>(Schlüssel %1)</translation>
    </message>
</context>
<context>
    <name>Diduza::TSchemaDesignArea</name>
    <message>
        <source>Add %1</source>
        <translation>%1 hinzufügen</translation>
    </message>
    <message>
        <source>Add relation</source>
        <translation>Beziehung hinzufügen</translation>
    </message>
    <message>
        <source>Delete relation</source>
        <translation>Beziehung löschen</translation>
    </message>
    <message>
        <source>&amp;Undo</source>
        <translation>&amp;Rückgängig</translation>
    </message>
    <message>
        <source>&amp;Redo</source>
        <translation>&amp;Wiederholen</translation>
    </message>
    <message>
        <source>&amp;Find...</source>
        <translation>&amp;Suchen...</translation>
    </message>
    <message>
        <source>&amp;Link to...</source>
        <translation>&amp;Verknüpfen mit...</translation>
    </message>
    <message>
        <source>New item</source>
        <translation>Neues Element</translation>
    </message>
    <message>
        <source>New icon</source>
        <translation>Neues Symbol</translation>
    </message>
    <message>
        <source>Link %1 by its keys</source>
        <translation>%1 über seine Schlüssel verbinden</translation>
    </message>
    <message>
        <source>Adding the database&apos;s tables to the diagram...</source>
        <translation>Die Tabellen der Datenbank werden dem Diagramm hinzugefügt...</translation>
    </message>
    <message numerus="yes">
        <source>Add %n table(s)</source>
        <translation>
            <numerusform>%n Tabelle hinzufügen</numerusform>
            <numerusform>%n Tabellen hinzufügen</numerusform>
        </translation>
    </message>
    <message>
        <source>Add &amp;related tables</source>
        <translation>&amp;Verwandte Tabellen hinzufügen</translation>
    </message>
    <message>
        <source>Add &amp;all tables</source>
        <translation>&amp;Alle Tabellen hinzufügen</translation>
    </message>
</context>
<context>
    <name>Diduza::TSchemaDiagramExport</name>
    <message>
        <source>The diagram is empty.</source>
        <translation>Das Diagramm ist leer.</translation>
    </message>
    <message>
        <source>The picture could not be written to %1.</source>
        <translation>Das Bild konnte nicht nach %1 geschrieben werden.</translation>
    </message>
    <message>
        <source>The document could not be written to %1.</source>
        <translation>Das Dokument konnte nicht nach %1 geschrieben werden.</translation>
    </message>
</context>
<context>
    <name>Diduza::TSchemaFindBar</name>
    <message>
        <source>Find table or field</source>
        <translation>Tabelle oder Feld suchen</translation>
    </message>
    <message>
        <source>Previous match (Shift+Enter)</source>
        <translation>Vorheriger Treffer (Umschalt+Eingabe)</translation>
    </message>
    <message>
        <source>Next match (Enter)</source>
        <translation>Nächster Treffer (Eingabe)</translation>
    </message>
    <message>
        <source>Close (Escape)</source>
        <translation>Schließen (Esc)</translation>
    </message>
    <message>
        <source>no match</source>
        <translation>kein Treffer</translation>
    </message>
    <message>
        <source>%1 of %2</source>
        <translation>%1 von %2</translation>
    </message>
</context>
<context>
    <name>Diduza::TSchemaItem</name>
    <message>
        <source>Delete %1</source>
        <translation>%1 löschen</translation>
    </message>
    <message>
        <source>Rename %1</source>
        <translation>%1 umbenennen</translation>
    </message>
    <message>
        <source>Colour of %1</source>
        <translation>Farbe von %1</translation>
    </message>
    <message>
        <source>Font of %1</source>
        <translation>Schrift von %1</translation>
    </message>
    <message>
        <source>Move %1</source>
        <translation>%1 verschieben</translation>
    </message>
    <message>
        <source>Resize %1</source>
        <translation>Größe von %1 ändern</translation>
    </message>
</context>
<context>
    <name>Diduza::TSchemaRelation</name>
    <message>
        <source>Edit relation</source>
        <translation>Beziehung bearbeiten</translation>
    </message>
    <message>
        <source>Left outer join: every row of %1</source>
        <translation>Linker äußerer Verbund: jede Zeile von %1</translation>
    </message>
    <message>
        <source>Right outer join: every row of %1</source>
        <translation>Rechter äußerer Verbund: jede Zeile von %1</translation>
    </message>
    <message>
        <source>Full outer join: every row of %1 and of %2</source>
        <translation>Voller Verbund: jede Zeile von %1 und von %2</translation>
    </message>
    <message>
        <source>Inner join: the rows that match</source>
        <translation>Innerer Verbund: die passenden Zeilen</translation>
    </message>
</context>
<context>
    <name>Diduza::TSchemaSqlDataEngine</name>
    <message>
        <source>The database reported an error without a message.</source>
        <translation>Die Datenbank meldete einen Fehler ohne Meldung.</translation>
    </message>
    <message>
        <source>There is no database connection named &quot;%1&quot;.</source>
        <translation>Es gibt keine Datenbankverbindung namens „%1“.</translation>
    </message>
    <message>
        <source>The text holds more than one SQL statement; only one statement can be run at a time. Nothing was run.</source>
        <translation>Der Text enthält mehr als eine SQL-Anweisung; es kann nur eine Anweisung auf einmal ausgeführt werden. Es wurde nichts ausgeführt.</translation>
    </message>
    <message>
        <source>The text holds a NUL character, which would end the statement early. Nothing was run.</source>
        <translation>Der Text enthält ein NUL-Zeichen, das die Anweisung vorzeitig beenden würde. Es wurde nichts ausgeführt.</translation>
    </message>
    <message>
        <source>The statement names &quot;%1&quot;, a temporary table of the connection that hides the database&apos;s table of that name, which the table list shows. Nothing was run.</source>
        <translation>Die Anweisung nennt &quot;%1&quot;, eine temporäre Tabelle der Verbindung, die die gleichnamige Tabelle der Datenbank verdeckt, die die Tabellenliste zeigt. Es wurde nichts ausgeführt.</translation>
    </message>
    <message>
        <source>The session reads statements in the character set %1, in which a character may end in a backslash or a quote: the server would read other strings and statements than the text holds. Set the character set utf8mb4 (SET NAMES utf8mb4). Nothing was run.</source>
        <translation>Die Sitzung liest Anweisungen im Zeichensatz %1, in dem ein Zeichen auf einen Backslash oder ein Anführungszeichen enden kann: Der Server läse andere Zeichenketten und Anweisungen, als der Text enthält. Stellen Sie den Zeichensatz utf8mb4 ein (SET NAMES utf8mb4). Es wurde nichts ausgeführt.</translation>
    </message>
    <message>
        <source>The run&apos;s own connection could not take over the settings of the engine&apos;s connection that decide how the statement reads (%1). Nothing was run.</source>
        <translation>Die eigene Verbindung der Ausführung konnte die Einstellungen der Verbindung der Engine, die bestimmen, wie die Anweisung gelesen wird, nicht übernehmen (%1). Es wurde nichts ausgeführt.</translation>
    </message>
    <message>
        <source>MySQL and MariaDB hand over a whole result at once: all its rows are held in memory.</source>
        <translation>MySQL und MariaDB übergeben ein Ergebnis auf einmal: Alle seine Zeilen werden im Speicher gehalten.</translation>
    </message>
</context>
<context>
    <name>Diduza::TSchemaSubItem</name>
    <message>
        <source>Tick %1</source>
        <translation>%1 ankreuzen</translation>
    </message>
    <message>
        <source>Untick %1</source>
        <translation>Kreuz bei %1 entfernen</translation>
    </message>
</context>
<context>
    <name>Diduza::TStringList</name>
    <message>
        <source>List index out of bounds (%1)</source>
        <translation>Listenindex außerhalb des gültigen Bereichs (%1)</translation>
    </message>
    <message>
        <source>Operation not allowed on sorted list</source>
        <translation>Vorgang bei sortierter Liste nicht erlaubt</translation>
    </message>
</context>
<context>
    <name>Diduza::TextPosition</name>
    <message>
        <source>line %1, column %2</source>
        <translation>Zeile %1, Spalte %2</translation>
    </message>
</context>
<context>
    <name>Diduza::TfrmZkLinkTo</name>
    <message>
        <source>Link to</source>
        <translation>Verknüpfen mit</translation>
    </message>
    <message>
        <source>Link %1.%2 to:</source>
        <translation>%1.%2 verknüpfen mit:</translation>
    </message>
    <message>
        <source>&amp;Table:</source>
        <translation>&amp;Tabelle:</translation>
    </message>
    <message>
        <source>&amp;Field:</source>
        <translation>&amp;Feld:</translation>
    </message>
    <message>
        <source>%1 (this table)</source>
        <translation>%1 (diese Tabelle)</translation>
    </message>
</context>
<context>
    <name>Diduza::TfrmZkRelation</name>
    <message>
        <source>Relation properties</source>
        <translation>Beziehungseigenschaften</translation>
    </message>
    <message>
        <source> Parent </source>
        <translation> Übergeordnet </translation>
    </message>
    <message>
        <source>Table 1:</source>
        <translation>Tabelle 1:</translation>
    </message>
    <message>
        <source>Column 1:</source>
        <translation>Spalte 1:</translation>
    </message>
    <message>
        <source> Child </source>
        <translation> Untergeordnet </translation>
    </message>
    <message>
        <source>Table 2:</source>
        <translation>Tabelle 2:</translation>
    </message>
    <message>
        <source>Column 2:</source>
        <translation>Spalte 2:</translation>
    </message>
    <message>
        <source> Join Operator </source>
        <translation> Verknüpfungsoperator </translation>
    </message>
    <message>
        <source> Join Type </source>
        <translation> Verknüpfungsart </translation>
    </message>
    <message>
        <source>Inner</source>
        <translation>Innerer</translation>
    </message>
    <message>
        <source>Left Outer</source>
        <translation>Linker äußerer</translation>
    </message>
    <message>
        <source>Right Outer</source>
        <translation>Rechter äußerer</translation>
    </message>
    <message>
        <source>Full Outer</source>
        <translation>Voller äußerer</translation>
    </message>
    <message>
        <source>Left Outer keeps every row of the relation&apos;s parent, Right Outer every row of its child, Full Outer the rows of both. The local dialect writes every kind as a plain condition, which keeps only the matching rows.</source>
        <translation>Linker äußerer behält jede Zeile der übergeordneten Tabelle der Beziehung, rechter äußerer jede Zeile der untergeordneten, voller äußerer die Zeilen beider. Der lokale Dialekt schreibt jede Art als einfache Bedingung, die nur die übereinstimmenden Zeilen behält.</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Abbrechen</translation>
    </message>
    <message>
        <source>Not available on this database: it cannot run this kind of join.</source>
        <translation>Auf dieser Datenbank nicht verfügbar: Sie kann diese Art von Join nicht ausführen.</translation>
    </message>
    <message>
        <source>Every row of %1, with the matching rows of %2 or nothing.</source>
        <translation>Jede Zeile von %1, mit den passenden Zeilen von %2 oder mit nichts.</translation>
    </message>
    <message>
        <source>Every row of %1 and of %2, matched where they match.</source>
        <translation>Jede Zeile von %1 und von %2, verbunden, wo sie übereinstimmen.</translation>
    </message>
    <message>
        <source>Only the rows of %1 and %2 that match.</source>
        <translation>Nur die Zeilen von %1 und %2, die übereinstimmen.</translation>
    </message>
    <message>
        <source>All rows of %1</source>
        <translation>Alle Zeilen von %1</translation>
    </message>
    <message>
        <source>All rows of %1 and %2</source>
        <translation>Alle Zeilen von %1 und %2</translation>
    </message>
    <message>
        <source>Matching rows only</source>
        <translation>Nur passende Zeilen</translation>
    </message>
    <message>
        <source>the parent table</source>
        <translation>der übergeordneten Tabelle</translation>
    </message>
    <message>
        <source>the child table</source>
        <translation>der untergeordneten Tabelle</translation>
    </message>
</context>
<context>
    <name>Diduza::TfrmZkSQLBuilder</name>
    <message>
        <source>SQL &amp;dialect:</source>
        <translation>SQL-&amp;Dialekt:</translation>
    </message>
    <message>
        <source>Standard (JOIN conditions after FROM)</source>
        <translation>Standard (JOIN-Bedingungen nach FROM)</translation>
    </message>
    <message>
        <source>Local (joins in WHERE)</source>
        <translation>Lokal (Verknüpfungen in WHERE)</translation>
    </message>
    <message>
        <source>Oracle (outer joins marked (+))</source>
        <translation>Oracle (äußere Verknüpfungen mit (+) markiert)</translation>
    </message>
    <message>
        <source>MS SQL (outer joins marked *=)</source>
        <translation>MS SQL (äußere Verknüpfungen mit *= markiert)</translation>
    </message>
    <message>
        <source>ANSI (JOIN ... ON in FROM)</source>
        <translation>ANSI (JOIN ... ON in FROM)</translation>
    </message>
    <message>
        <source>No data engine is set, so the statement cannot be run.</source>
        <translation>Es ist keine Daten-Engine gesetzt, daher kann die Anweisung nicht ausgeführt werden.</translation>
    </message>
    <message>
        <source>The query has changes that will be lost. Close the query builder anyway?</source>
        <translation>Die Abfrage hat Änderungen, die verloren gehen. Den Abfrage-Generator trotzdem schließen?</translation>
    </message>
    <message>
        <source>The statement could not be read: %1</source>
        <translation>Die Anweisung konnte nicht gelesen werden: %1</translation>
    </message>
    <message>
        <source>Tarvelon Software: Diduza REVIzirovi</source>
        <translation>Tarvelon Software: Diduza REVIzirovi</translation>
    </message>
    <message>
        <source>the table %1</source>
        <translation>die Tabelle %1</translation>
    </message>
    <message>
        <source>the join %1: a column the table does not have</source>
        <translation>die Verknüpfung %1: eine Spalte, die die Tabelle nicht hat</translation>
    </message>
    <message>
        <source>the join %1: </source>
        <translation>die Verknüpfung %1: </translation>
    </message>
    <message>
        <source>the field %1 a second time</source>
        <translation>das Feld %1 ein zweites Mal</translation>
    </message>
    <message>
        <source>the field %1: the table has no such column</source>
        <translation>das Feld %1: Die Tabelle hat keine solche Spalte</translation>
    </message>
    <message>
        <source>Move column</source>
        <translation>Spalte verschieben</translation>
    </message>
    <message>
        <source>Add %1</source>
        <translation>%1 hinzufügen</translation>
    </message>
    <message>
        <source>Edit %1</source>
        <translation>%1 bearbeiten</translation>
    </message>
    <message>
        <source>Show</source>
        <translation>Anzeigen</translation>
    </message>
    <message>
        <source>Alias</source>
        <translation>Alias</translation>
    </message>
    <message>
        <source>Sort order</source>
        <translation>Sortierfolge</translation>
    </message>
    <message>
        <source>Add a column that counts the rows (COUNT(*))</source>
        <translation>Spalte hinzufügen, die die Zeilen zählt (COUNT(*))</translation>
    </message>
    <message>
        <source>Add this field again</source>
        <translation>Dieses Feld noch einmal hinzufügen</translation>
    </message>
    <message>
        <source>Remove this column</source>
        <translation>Diese Spalte entfernen</translation>
    </message>
    <message>
        <source>Not carried over: %1</source>
        <translation>Nicht übernommen: %1</translation>
    </message>
    <message>
        <source>&amp;Apply to diagram</source>
        <translation>Auf das Diagramm &amp;anwenden</translation>
    </message>
    <message>
        <source>&amp;Run</source>
        <translation>&amp;Ausführen</translation>
    </message>
    <message>
        <source>Runs the text as written (F5, Ctrl+Enter)</source>
        <translation>Führt den Text so aus, wie er dasteht (F5, Strg+Eingabe)</translation>
    </message>
    <message>
        <source>Row &amp;limit:</source>
        <translation>Zeilen&amp;grenze:</translation>
    </message>
    <message>
        <source>none</source>
        <translation>keine</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Abbrechen</translation>
    </message>
    <message>
        <source>Save as CS&amp;V...</source>
        <translation>Als CS&amp;V speichern...</translation>
    </message>
    <message>
        <source>CSV files (*.csv)|*.csv|All files (*.*)|*.*</source>
        <translation>CSV-Dateien (*.csv)|*.csv|Alle Dateien (*.*)|*.*</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;Kopieren</translation>
    </message>
    <message>
        <source>The SQL page holds a statement you typed, and the diagram or grid changed since. Replace the typed statement with the diagram&apos;s?</source>
        <translation>Die SQL-Seite enthält eine von Ihnen eingegebene Anweisung, und Diagramm oder Raster haben sich seitdem geändert. Die eingegebene Anweisung durch die des Diagramms ersetzen?</translation>
    </message>
    <message numerus="yes">
        <source>Error after %n row(s)</source>
        <translation>
            <numerusform>Fehler nach %n Zeile</numerusform>
            <numerusform>Fehler nach %n Zeilen</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Cancelled after %n row(s)</source>
        <translation>
            <numerusform>Abgebrochen nach %n Zeile</numerusform>
            <numerusform>Abgebrochen nach %n Zeilen</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Running: %n row(s) so far</source>
        <translation>
            <numerusform>Läuft: bisher %n Zeile</numerusform>
            <numerusform>Läuft: bisher %n Zeilen</numerusform>
        </translation>
    </message>
    <message>
        <source>Running...</source>
        <translation>Läuft...</translation>
    </message>
    <message numerus="yes">
        <source>%n row(s) so far; more as you scroll</source>
        <translation>
            <numerusform>bisher %n Zeile; mehr beim Blättern</numerusform>
            <numerusform>bisher %n Zeilen; mehr beim Blättern</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n row(s)</source>
        <translation>
            <numerusform>%n Zeile</numerusform>
            <numerusform>%n Zeilen</numerusform>
        </translation>
    </message>
    <message>
        <source> (the row limit)</source>
        <translation> (die Zeilengrenze)</translation>
    </message>
    <message>
        <source>, %1 ms</source>
        <translation>, %1 ms</translation>
    </message>
    <message>
        <source>There are no results to save.</source>
        <translation>Es gibt keine Ergebnisse zum Speichern.</translation>
    </message>
    <message>
        <source>The results could not be saved to %1: %2</source>
        <translation>Die Ergebnisse konnten nicht in %1 gespeichert werden: %2</translation>
    </message>
    <message>
        <source>ticked</source>
        <translation>angekreuzt</translation>
    </message>
    <message>
        <source>not ticked</source>
        <translation>nicht angekreuzt</translation>
    </message>
    <message>
        <source>Tables</source>
        <translation>Tabellen</translation>
    </message>
    <message>
        <source>&amp;Add</source>
        <translation>&amp;Hinzufügen</translation>
    </message>
    <message>
        <source>Add &amp;related tables</source>
        <translation>&amp;Verwandte Tabellen hinzufügen</translation>
    </message>
    <message numerus="yes">
        <source>Add %n table(s)</source>
        <translation>
            <numerusform>%n Tabelle hinzufügen</numerusform>
            <numerusform>%n Tabellen hinzufügen</numerusform>
        </translation>
    </message>
    <message>
        <source>The results are being saved to %1. Stop saving and close the query builder?</source>
        <translation>Die Ergebnisse werden in %1 gespeichert. Speichern abbrechen und den Abfrage-Generator schließen?</translation>
    </message>
    <message numerus="yes">
        <source>%n row(s) shown</source>
        <translation>
            <numerusform>%n Zeile angezeigt</numerusform>
            <numerusform>%n Zeilen angezeigt</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Saving to %1: %n row(s) written</source>
        <translation>
            <numerusform>Speichern in %1: %n Zeile geschrieben</numerusform>
            <numerusform>Speichern in %1: %n Zeilen geschrieben</numerusform>
        </translation>
    </message>
    <message>
        <source>Copy with &amp;headers</source>
        <translation>Mit &amp;Spaltennamen kopieren</translation>
    </message>
    <message>
        <source>Saving the results was cancelled; %1 was not written.</source>
        <translation>Das Speichern der Ergebnisse wurde abgebrochen; %1 wurde nicht geschrieben.</translation>
    </message>
    <message>
        <source>The results are being saved to %1.</source>
        <translation>Die Ergebnisse werden bereits in %1 gespeichert.</translation>
    </message>
    <message>
        <source>saving cancelled, %1 was not written</source>
        <translation>Speichern abgebrochen, %1 wurde nicht geschrieben</translation>
    </message>
    <message>
        <source>the results were not saved</source>
        <translation>die Ergebnisse wurden nicht gespeichert</translation>
    </message>
    <message numerus="yes">
        <source>%n row(s) saved to %1</source>
        <translation>
            <numerusform>%n Zeile in %1 gespeichert</numerusform>
            <numerusform>%n Zeilen in %1 gespeichert</numerusform>
        </translation>
    </message>
    <message>
        <source>The schemas whose tables the list shows</source>
        <translation>Die Schemas, deren Tabellen die Liste zeigt</translation>
    </message>
    <message>
        <source>All schemas</source>
        <translation>Alle Schemas</translation>
    </message>
    <message>
        <source>Search path</source>
        <translation>Suchpfad</translation>
    </message>
    <message>
        <source>At %1 of the statement.</source>
        <translation>In %1 der Anweisung.</translation>
    </message>
    <message>
        <source>%1 (line %2, column %3)</source>
        <translation>%1 (Zeile %2, Spalte %3)</translation>
    </message>
    <message>
        <source>Return at &amp;most (rows):</source>
        <translation>&amp;Höchstens zurückgeben (Zeilen):</translation>
    </message>
    <message>
        <source>all</source>
        <translation>alle</translation>
    </message>
    <message>
        <source>after skipping </source>
        <translation>nach Überspringen von </translation>
    </message>
    <message>
        <source>SELECT %1</source>
        <translation>SELECT %1</translation>
    </message>
    <message>
        <source>How this SELECT combines with the ones before it</source>
        <translation>Wie sich dieses SELECT mit den vorigen verbindet</translation>
    </message>
    <message>
        <source>+ SELECT</source>
        <translation>+ SELECT</translation>
    </message>
    <message>
        <source>Add a SELECT to combine with UNION, INTERSECT or EXCEPT</source>
        <translation>Ein SELECT hinzufügen, das mit UNION, INTERSECT oder EXCEPT verbunden wird</translation>
    </message>
    <message>
        <source>SELECT %1 has tables and columns that will be lost. Remove it anyway?</source>
        <translation>SELECT %1 hat Tabellen und Spalten, die verloren gehen. Trotzdem entfernen?</translation>
    </message>
    <message>
        <source>The expression names %1, which is not a table of the diagram.</source>
        <translation>Der Ausdruck nennt %1, keine Tabelle des Diagramms.</translation>
    </message>
    <message>
        <source> (line %1, column %2)</source>
        <translation> (Zeile %1, Spalte %2)</translation>
    </message>
    <message>
        <source>Add calculated column</source>
        <translation>Berechnete Spalte hinzufügen</translation>
    </message>
    <message>
        <source>Expression...</source>
        <translation>Ausdruck...</translation>
    </message>
    <message>
        <source>Calculated column</source>
        <translation>Berechnete Spalte</translation>
    </message>
    <message>
        <source>An SQL value over the diagram&apos;s tables, such as &quot;total: orders.amount * 1.2&quot; (&quot;total&quot; names the column):</source>
        <translation>Ein SQL-Wert über den Tabellen des Diagramms, etwa „total: orders.amount * 1.2“ („total“ benennt die Spalte):</translation>
    </message>
    <message>
        <source>Add a calculated column...</source>
        <translation>Eine berechnete Spalte hinzufügen...</translation>
    </message>
    <message>
        <source>Remove column</source>
        <translation>Spalte entfernen</translation>
    </message>
    <message>
        <source>the condition %1 (its column could not be placed)</source>
        <translation>die Bedingung %1 (ihre Spalte konnte nicht gesetzt werden)</translation>
    </message>
    <message>
        <source>The statement does not parse: %1</source>
        <translation>Die Anweisung lässt sich nicht lesen: %1</translation>
    </message>
    <message>
        <source>Close the query builder and return the statement on the SQL page as it stands?</source>
        <translation>Den Abfrage-Generator schließen und die Anweisung der SQL-Seite so zurückgeben, wie sie steht?</translation>
    </message>
    <message>
        <source>The calculated column %1 (%2) cannot be written: %3</source>
        <translation>Die berechnete Spalte %1 (%2) kann nicht geschrieben werden: %3</translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>The calculated column(s) %1 name the table %2. Remove them with the table?</source>
        <translation>Die berechnete(n) Spalte(n) %1 nennen die Tabelle %2. Mit der Tabelle entfernen?</translation>
    </message>
</context>
<context>
    <name>DiduzaDemo</name>
    <message>
        <source>Diduza demo: %1</source>
        <translation>Diduza-Demo: %1</translation>
    </message>
    <message>
        <source>Tools &gt; Query builder... returns its statement here.</source>
        <translation>Extras &gt; Abfrage-Generator... gibt seine Anweisung hier zurück.</translation>
    </message>
    <message>
        <source>Query builder: %1</source>
        <translation>Abfrage-Generator: %1</translation>
    </message>
    <message>
        <source>&amp;Tools</source>
        <translation>E&amp;xtras</translation>
    </message>
    <message>
        <source>&amp;Query builder...</source>
        <translation>&amp;Abfrage-Generator...</translation>
    </message>
    <message>
        <source>Overview</source>
        <translation>Übersicht</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>Export as &amp;PNG...</source>
        <translation>Als &amp;PNG exportieren...</translation>
    </message>
    <message>
        <source>PNG pictures (*.png)|*.png</source>
        <translation>PNG-Bilder (*.png)|*.png</translation>
    </message>
    <message>
        <source>Export as &amp;SVG...</source>
        <translation>Als &amp;SVG exportieren...</translation>
    </message>
    <message>
        <source>SVG pictures (*.svg)|*.svg</source>
        <translation>SVG-Bilder (*.svg)|*.svg</translation>
    </message>
    <message>
        <source>Export as P&amp;DF...</source>
        <translation>Als P&amp;DF exportieren...</translation>
    </message>
    <message>
        <source>PDF documents (*.pdf)|*.pdf</source>
        <translation>PDF-Dokumente (*.pdf)|*.pdf</translation>
    </message>
    <message>
        <source>Export as PDF in &amp;tiles...</source>
        <translation>Als PDF in &amp;Kacheln exportieren...</translation>
    </message>
    <message>
        <source>&amp;Print...</source>
        <translation>&amp;Drucken...</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Bearbeiten</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;Ansicht</translation>
    </message>
    <message>
        <source>&amp;Arrange by rank</source>
        <translation>Nach &amp;Rang anordnen</translation>
    </message>
</context>
<context>
    <name>SchmCnst</name>
    <message>
        <source>Select All</source>
        <translation>Alle auswählen</translation>
    </message>
    <message>
        <source>Unselect All</source>
        <translation>Auswahl aufheben</translation>
    </message>
    <message>
        <source>Delete relations</source>
        <translation>Beziehungen löschen</translation>
    </message>
    <message>
        <source>Delete item</source>
        <translation>Element löschen</translation>
    </message>
    <message>
        <source>Edit relation...</source>
        <translation>Beziehung bearbeiten...</translation>
    </message>
    <message>
        <source>Delete relation</source>
        <translation>Beziehung löschen</translation>
    </message>
    <message>
        <source>Change background color...</source>
        <translation>Hintergrundfarbe ändern...</translation>
    </message>
    <message>
        <source>Change font...</source>
        <translation>Schrift ändern...</translation>
    </message>
    <message>
        <source>Count</source>
        <translation>Anzahl</translation>
    </message>
    <message>
        <source>Maximum</source>
        <translation>Maximum</translation>
    </message>
    <message>
        <source>Minimum</source>
        <translation>Minimum</translation>
    </message>
    <message>
        <source>Summa</source>
        <translation>Summe</translation>
    </message>
    <message>
        <source>Ascending</source>
        <translation>Aufsteigend</translation>
    </message>
    <message>
        <source>Descending</source>
        <translation>Absteigend</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>New SQL</source>
        <translation>Neues SQL</translation>
    </message>
    <message>
        <source>Open SQL from file</source>
        <translation>SQL aus Datei öffnen</translation>
    </message>
    <message>
        <source>Save a current SQl into file</source>
        <translation>Aktuelles SQL in Datei speichern</translation>
    </message>
    <message>
        <source>Show grid with columns</source>
        <translation>Spaltenraster anzeigen</translation>
    </message>
    <message>
        <source>Parent must be TScrollBox or its descendant.</source>
        <translation>Das übergeordnete Element muss eine TScrollBox oder davon abgeleitet sein.</translation>
    </message>
    <message>
        <source>select the unique records only</source>
        <translation>nur eindeutige Datensätze auswählen</translation>
    </message>
    <message>
        <source>You can not apply this aggregative function to *.</source>
        <translation>Diese Aggregatfunktion kann nicht auf * angewendet werden.</translation>
    </message>
    <message>
        <source>These items are already linked.</source>
        <translation>Diese Elemente sind bereits verknüpft.</translation>
    </message>
    <message>
        <source>Columns</source>
        <translation>Spalten</translation>
    </message>
    <message>
        <source>Options</source>
        <translation>Optionen</translation>
    </message>
    <message>
        <source>SQL</source>
        <translation>SQL</translation>
    </message>
    <message>
        <source>Results</source>
        <translation>Ergebnisse</translation>
    </message>
    <message>
        <source>Field</source>
        <translation>Feld</translation>
    </message>
    <message>
        <source>Table</source>
        <translation>Tabelle</translation>
    </message>
    <message>
        <source>Calculate</source>
        <translation>Berechnen</translation>
    </message>
    <message>
        <source>Sort</source>
        <translation>Sortierung</translation>
    </message>
    <message>
        <source>Where</source>
        <translation>Bedingung</translation>
    </message>
    <message>
        <source>Grouping</source>
        <translation>Gruppierung</translation>
    </message>
    <message>
        <source>Having</source>
        <translation>Gruppenbedingung</translation>
    </message>
    <message>
        <source>Average</source>
        <translation>Durchschnitt</translation>
    </message>
    <message>
        <source>Show list of tables</source>
        <translation>Tabellenliste anzeigen</translation>
    </message>
    <message>
        <source>Generate SQL-statement</source>
        <translation>SQL-Anweisung erzeugen</translation>
    </message>
    <message>
        <source>Execute SQL and show results</source>
        <translation>SQL ausführen und Ergebnisse anzeigen</translation>
    </message>
    <message>
        <source>All files (*.*)|*.*</source>
        <translation>Alle Dateien (*.*)|*.*</translation>
    </message>
    <message>
        <source>Schema files (*.sch)|*.sch</source>
        <translation>Schemadateien (*.sch)|*.sch</translation>
    </message>
</context>
<context>
    <name>TSchemaDesignArea</name>
    <message>
        <source>Listbox</source>
        <translation>Listenfeld</translation>
    </message>
    <message>
        <source>Check Listbox</source>
        <translation>Kontrollkästchenliste</translation>
    </message>
    <message>
        <source>Treeview</source>
        <translation>Baumansicht</translation>
    </message>
    <message>
        <source>Text</source>
        <translation>Text</translation>
    </message>
    <message>
        <source>Icon</source>
        <translation>Symbol</translation>
    </message>
    <message>
        <source>A relation needs a parent item and a child item.</source>
        <translation>Eine Beziehung braucht ein übergeordnetes und ein untergeordnetes Element.</translation>
    </message>
    <message>
        <source>New item</source>
        <translation>Neues Element</translation>
    </message>
    <message>
        <source>New icon</source>
        <translation>Neues Symbol</translation>
    </message>
</context>
</TS>

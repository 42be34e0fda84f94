// Every header path of 0.1 that moved, included as 0.1 code includes it.
#include <diagram/RankLayout.h>
#include <diagram/RelationRouting.h>
#include <diagram/SchemaFile.h>
#include <diagram/TSchemaCheckListBox.h>
#include <diagram/TSchemaDiagramExport.h>
#include <diagram/TSchemaIcon.h>
#include <diagram/TSchemaListBox.h>
#include <diagram/TSchemaOverview.h>
#include <diagram/TSchemaText.h>
#include <diagram/TSchemaTreeView.h>

#include <QApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    Diduza::TSchemaCheckListBox list;
    Diduza::TSchemaText text;
    const QString header = Diduza::SchemaFile::ItemHeader(1);
    std::printf("%s\n", qPrintable(header));
    return header == QLatin1String("[Item1]") ? 0 : 1;
}

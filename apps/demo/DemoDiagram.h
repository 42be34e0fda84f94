#pragma once

namespace Diduza {
class TSchemaDataEngine;
class TSchemaDesignArea;
} // namespace Diduza

// Fills a design area with the tables of the sample database and the relations of their foreign
// keys, read from the engine's catalogue (AddDatabaseTables), with their keys shown and placed
// in every line arrangement (parent left, child left, overlapping, a self-link), plus text
// shapes and icons, and shows the item tool bar and the "add related tables" menu entry. The
// area's undo history is empty afterwards.
void BuildDemoDiagram(Diduza::TSchemaDesignArea *area, Diduza::TSchemaDataEngine *engine);

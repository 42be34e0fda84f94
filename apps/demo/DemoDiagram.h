#pragma once

namespace Diduza {
class TSchemaDataEngine;
class TSchemaDesignArea;
} // namespace Diduza

// Fills a design area with the tables of the sample database (fields from the engine) joined
// the way the data is related, in every line arrangement (parent left, child left,
// overlapping, a self-link), plus text shapes and icons, and shows the item tool bar. The
// area's undo history is empty afterwards.
void BuildDemoDiagram(Diduza::TSchemaDesignArea *area, Diduza::TSchemaDataEngine *engine);

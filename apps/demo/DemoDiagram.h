#pragma once

namespace Diduza {
class TSchemaDesignArea;
}

// Fills a design area with a small sample diagram: items of every kind with rows, and
// relations in each arrangement (parent left, child left, overlapping, self-link).
void BuildDemoDiagram(Diduza::TSchemaDesignArea *area);

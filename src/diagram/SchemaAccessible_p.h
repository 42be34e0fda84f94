#pragma once

// Screen-reader access to diagrams (not part of the public API): items read as their caption,
// and the area's viewport lists its relations after its items, each read as its join
// ("customer.id = orders.customer_id", described as "Inner join: the rows that match"). Rows are
// the entries of the items' inner lists, which Qt already makes accessible with their captions
// and ticks.

namespace Diduza {

// Installs the accessibility factory of the diagram classes once per process.
void InstallSchemaAccessibility();

} // namespace Diduza

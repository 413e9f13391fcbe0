#pragma once

#include "JobRules.h"

class QPagedPaintDevice;

// Draws the job sheet as a ruled table across as many pages as it needs, its header on each page,
// the columns right to left in proportion to their grid widths.
namespace JobGridPrinter {

// The number of pages drawn; 0 when the device could not be painted on.
int print(QPagedPaintDevice &device, const JobColumns::PrintSheet &sheet, const QString &title);

} // namespace JobGridPrinter

#include "engine/RunReport.h"

size_t CRunReport::ProcessedCount() const {
  size_t count = 0;
  for (const CRunNe& ne : nes) count += ne.processed ? 1 : 0;
  return count;
}

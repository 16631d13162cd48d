#include "seams.h"

namespace seams {

void StoreWriterBeforeRename() {}
void BeforeSleep() noexcept {}

}  // namespace seams

#include "seams.h"

namespace seams {

void StoreWriterBeforeRename() {}

}  // namespace seams

#include "platform/text_encoding.h"

bool DecodesUnmarkedUtf8() { return true; }

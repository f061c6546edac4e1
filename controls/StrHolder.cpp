#include "controls/StrHolder.h"

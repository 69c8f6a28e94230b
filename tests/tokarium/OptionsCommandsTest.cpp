#include "tests/tokarium/TokenTreeHarness.h"

using namespace uidriver;
using namespace treetest;

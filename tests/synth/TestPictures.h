#pragma once

// The synthesis tests' helpers, shared by every test program.
#include "common/ScratchFolderTest.h"
#include "common/TestPictures.h"

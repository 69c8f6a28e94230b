// The program's one application object; the framework's WinMain runs it.
#include "heraldix/HeraldixApp.h"

CHeraldixApp theApp;

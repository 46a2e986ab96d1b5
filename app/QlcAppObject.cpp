// The program's one application object.
#include "app/CQlcApp.h"

CQlcApp theApp;

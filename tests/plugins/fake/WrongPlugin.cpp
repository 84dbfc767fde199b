#include "tests/plugins/fake/WrongPlugin.h"

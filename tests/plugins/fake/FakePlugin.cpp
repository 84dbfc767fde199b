#include "tests/plugins/fake/FakePlugin.h"

#pragma once
// Everything a UI scenario uses, in one include.

#include "tests/ui/driver/Controls.h"
#include "tests/ui/driver/Files.h"
#include "tests/ui/driver/Input.h"
#include "tests/ui/driver/MessageBoxes.h"
#include "tests/ui/driver/Png.h"
#include "tests/ui/driver/Process.h"
#include "tests/ui/driver/Registry.h"
#include "tests/ui/driver/Resources.h"
#include "tests/ui/driver/Screenshot.h"
#include "tests/ui/driver/ShellDialog.h"
#include "tests/ui/driver/Wait.h"
#include "tests/ui/driver/Windows.h"

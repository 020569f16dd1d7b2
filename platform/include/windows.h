// The Win32 surface the system calls, served by the stand-in under platform/.
#pragma once
#include "minwindef.h"
#include "winerror.h"
#include "guiddef.h"
#include "unknwn.h"
#include "winbase.h"
#include "libloaderapi.h"
#include "winuser.h"
#include "mmsystem.h"
#include "wingdi.h"
#include "winreg.h"

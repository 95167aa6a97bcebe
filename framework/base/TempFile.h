// Temporary files in the system's temporary folder.
#pragma once
#include "framework/base/CString.h"

// The temporary folder with a trailing '/': $TMPDIR, else /tmp/.
CString KGetTempPath();
// Creates a new empty file "<path><pre>XXXXXX.tmp" whose name no other file
// has (pre: the first three characters of prefix) and returns its path;
// empty when it cannot be created.
CString KCreateTempFileName(const char* path, const char* prefix);

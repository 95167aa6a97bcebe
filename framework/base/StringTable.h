// The program's string table: texts registered under numeric IDs at start,
// as the resources of the platform hold them. A command's entry is its
// status-bar prompt and its tooltip, separated by a line feed; a document
// template's entry is its seven document strings.
#pragma once
#include "framework/base/CString.h"
#include "framework/base/Types.h"

struct KStringResource {
    KStringResource(UINT nID, const char* text);
};

// False, with the string emptied, when nothing is registered under nID.
bool AfxLoadString(UINT nID, CString& rString);
CString AfxLoadString(UINT nID);
// Part n (0-based) of a text split at line feeds; empty past the last part.
CString AfxExtractSubString(const CString& text, int n, char sep = '\n');

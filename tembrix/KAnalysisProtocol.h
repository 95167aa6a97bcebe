// The analysis protocol: every sound object of a workshop document in time
// order with its start, end, duration, name and description, as plain
// Windows-1251 text a word processor opens.
#pragma once
#include <string>
#include <vector>

#include "framework/base/CString.h"

class CKPhoneObject;
class CKWaveFilm;

// The protocol's text (UTF-8 in memory): the header, the sound's path, then
// one entry per object by its first sample, equal starts in list order.
std::string AnalysisProtocolText(const CKWaveFilm& film, const std::vector<const CKPhoneObject*>& objects);

// Writes the text in Windows-1251 into sPath (created or emptied); false,
// with the file error shown, when the file cannot be written.
bool WriteAnalysisProtocol(const CString& sPath, const CKWaveFilm& film,
                           const std::vector<const CKPhoneObject*>& objects);

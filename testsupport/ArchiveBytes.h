// An archive's bytes as the tests compare them with layouts written out by hand.
#pragma once
#include <functional>

#include "framework/base/CArchive.h"
#include "testsupport/ByteFiles.h"

namespace kavrel_test {

// What write puts into a storing archive, once the archive is closed.
inline Bytes Store(const std::function<void(CArchive&)>& write)
{
    Bytes buf;
    CArchive ar(&buf, CArchive::store);
    write(ar);
    ar.Close();
    return buf;
}

} // namespace kavrel_test

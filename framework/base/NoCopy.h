// KNoCopy: the base of an object that owns what a copy would release
// twice, such as an open file, a window or a buffer counted by its users.
#pragma once

class KNoCopy {
public:
    KNoCopy(const KNoCopy&) = delete;
    KNoCopy& operator=(const KNoCopy&) = delete;

protected:
    KNoCopy() = default;
    ~KNoCopy() = default;
};

// The complex record Z and the owning arrays of plain elements that the
// spectrum, film and view code keep between calls.
#pragma once
#include <cstddef>
#include <new>

struct Z {
    double re;
    double im;
};

// One owning array. A buffer only ever grows; growing loses the contents
// (nothing here needs them kept, and copying would cost every resize).
// nMaxElements keeps the byte count within 32 bits, as the platform did.
template <typename T, long long nMaxElements>
class CKArrayOf {
public:
    CKArrayOf() { SetSize(1); }
    virtual ~CKArrayOf()
    {
        delete[] pArray;
        pArray = nullptr;
        nSize = 0;
        nAllocated = 0;
    }
    CKArrayOf(const CKArrayOf&) = delete;
    CKArrayOf& operator=(const CKArrayOf&) = delete;

    bool SetSize(int n)
    {
        if (n < 0)
            return false;
        if (n > nAllocated) {
            delete[] pArray;
            pArray = (n >= nMaxElements) ? nullptr : new (std::nothrow) T[size_t(n)];
            if (!pArray) {
                nSize = 0;
                nAllocated = 0;
                return false;
            }
            nAllocated = n;
        }
        nSize = n;
        return true;
    }

    void Clear() { Clear(T{}); }
    void Clear(T value)
    {
        for (int i = 0; i < nAllocated; ++i)
            pArray[i] = value;
    }

    T* pArray = nullptr;
    int nSize = 0;
    int nAllocated = 0;
};

using CKArrayBYTE = CKArrayOf<unsigned char, 0x7FFFFFFFLL + 1>;
using CKArrayChar = CKArrayOf<char, 0x7FFFFFFFLL + 1>;
using CKArrayInt = CKArrayOf<int, 1LL << 30>;
using CKArrayFloat = CKArrayOf<float, 1LL << 30>;
using CKArrayDouble = CKArrayOf<double, 1LL << 29>;
using CKArrayZ = CKArrayOf<Z, 1LL << 28>;

// A document read from its file as its program opens one, for the tests
// that check what a program or the tool wrote.
#pragma once
#include <memory>
#include <string>

namespace ktest {

// nullptr when the document refuses the file.
template <class D> std::unique_ptr<D> OpenDocument(const std::string& path)
{
    auto doc = std::make_unique<D>();
    if (!doc->OnOpenDocument(path.c_str()))
        return nullptr;
    return doc;
}

} // namespace ktest

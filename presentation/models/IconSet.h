#pragma once

#include <QIcon>
#include <QImage>

#include <mutex>
#include <span>
#include <vector>

namespace kavrin {

// The icons of one resource folder. Their images are decoded once, on whichever thread asks
// first: the window has them decoded on the other core while it is built, where looking up the
// image plugins and decoding cost 4 ms. The icons are made from them on the GUI thread.
class IconSet {
public:
    // `registerResources` makes the folder's compiled-in resources known (once, before decoding).
    IconSet(void (*registerResources)(), const char* folder, std::span<const char* const> names);

    // Any thread; returns once the images are decoded.
    void decode();
    // GUI thread only.
    const QIcon& icon(size_t which);

private:
    void (*registerResources_)();
    const char* folder_;
    std::span<const char* const> names_;
    std::once_flag decoded_;
    std::vector<QImage> images_;
    std::vector<QIcon> icons_;
};

} // namespace kavrin

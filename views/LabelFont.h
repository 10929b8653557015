#pragma once

#include <QFont>

namespace kavrin {

// `base`, made smaller (down to 6 points) until a line of it fits rows `rowHeight` pixels high,
// so that labels of low rows do not run into their neighbours.
QFont labelFont(const QFont& base, double rowHeight);

} // namespace kavrin

#pragma once

#include <memory>

#include "client/catalogue/components.h"

class QWidget;

namespace quorvel::catalogue {

// The Qt list view, filling `host`.  The widget is the host's child and goes
// with it; what is returned only reaches it, and may outlive it or go first.
std::unique_ptr<ListView> MakeQtListView(QWidget* host);

}  // namespace quorvel::catalogue

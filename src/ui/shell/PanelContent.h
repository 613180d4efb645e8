#pragma once

// The view the panel window and the snapshot show.
#include "panel/PanelView.h"

namespace ui {
using PanelContent = PanelView;
}

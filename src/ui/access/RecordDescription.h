#pragma once

#include "files/RenameRecord.h"

#include <QString>

namespace ui {

// How a screen reader reads a record, wherever it is shown: the name first, then what it was
// called, when and in which folder.
class RecordDescription {
public:
    static QString name(const engine::RenameRecord& record);
    static QString details(const engine::RenameRecord& record);
};

} // namespace ui

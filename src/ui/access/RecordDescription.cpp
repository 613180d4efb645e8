#include "access/RecordDescription.h"

#include "dashboard/DashboardText.h"
#include "dashboard/ShotCard.h"
#include "panel/RecordPresentation.h"

namespace ui {

namespace {

QString quoted(const std::string& fileName) {
    return QStringLiteral("\u201C") + DashboardText::stem(QString::fromStdString(fileName)) +
           QStringLiteral("\u201D");
}

} // namespace

QString RecordDescription::name(const engine::RenameRecord& record) {
    return RecordPresentation::shownStem(record);
}

QString RecordDescription::details(const engine::RenameRecord& record) {
    const QString was = record.undone
                            ? QStringLiteral("Undone, was named ") + quoted(record.currentName)
                            : QStringLiteral("Was ") + quoted(record.originalName);
    const QString folder = DashboardText::lastComponent(QString::fromStdString(record.folderPath));
    return was + QStringLiteral(", ") + ShotCard::dateText(record) + QStringLiteral(", in ") +
           folder;
}

} // namespace ui

#include "dashboard/ShotCard.h"

#include "dashboard/DashboardText.h"
#include "dashboard/TextDrawing.h"
#include "look/Chip.h"
#include "look/CrayonBox.h"
#include "look/Fonts.h"
#include "look/Icons.h"
#include "look/Ink.h"

#include <QApplication>
#include <QDateTime>
#include <QFontMetricsF>
#include <QLocale>
#include <QPainter>
#include <QRegularExpression>
#include <QScreen>

#include <cmath>
#include <cstdint>
#include <functional>

namespace ui {

namespace {

using engine::RenameRecord;

constexpr qreal namesSpacing = 3;
constexpr qreal buttonSize = 26;
constexpr qreal buttonSpacing = 5;
constexpr qreal overlayPadding = 7;

QFont nameFont() {
    return Fonts::system(13.5, QFont::Bold);
}
QFont oldNameFont() {
    return Fonts::mono(10.5);
}
QFont noteFont() {
    return Fonts::system(10.5);
}
QFont metaFont() {
    return Fonts::system(10.5, QFont::DemiBold);
}

qreal lineHeight(const QFont& font) {
    return QFontMetricsF(font).height();
}

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

const RecordPresentation::TileLook& tileLook() {
    static const RecordPresentation::TileLook look{10, 1.8,
                                                   [] {
                                                       QColor placeholder = Ink::ink();
                                                       placeholder.setAlphaF(0.35F);
                                                       return placeholder;
                                                   }(),
                                                   QSizeF(26, 22)};
    return look;
}

void paintRoundButton(QPainter& painter, const QRectF& disc, const QString& icon) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Ink::ink());
    painter.drawEllipse(disc.translated(1.5, 2));
    painter.setBrush(Qt::white);
    painter.drawEllipse(disc);
    painter.setPen(QPen(Ink::ink(), 1.6));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(disc.adjusted(0.8, 0.8, -0.8, -0.8));
    Icons::paint(painter, QRectF(disc.center() - QPointF(5.5, 5.5), QSizeF(11, 11)), icon,
                 Ink::ink());
    painter.restore();
}

} // namespace

double ShotCard::seed(const std::string& id) {
    return RecordPresentation::seed(id, 89);
}

QString ShotCard::dateText(const RenameRecord& record) {
    // Day and abbreviated month in the locale's order, then hours and minutes: some locales'
    // short time still carries seconds. Worked out once; the grid asks for every card it draws.
    static const QLocale locale = QLocale::system();
    static const QString format = dateFormat(locale);
    const auto seconds =
        std::chrono::duration_cast<std::chrono::seconds>(record.date.time_since_epoch());
    return locale.toString(QDateTime::fromSecsSinceEpoch(seconds.count()), format);
}

QString ShotCard::dateFormat(const QLocale& locale) {
    // The short date holds only day, month and year; the long one may start with the weekday.
    const QString shortDate = locale.dateFormat(QLocale::ShortFormat);
    const auto day = shortDate.indexOf(QLatin1Char('d'));
    const auto month = shortDate.indexOf(QLatin1Char('M'));
    const bool dayFirst = day >= 0 && (month < 0 || day < month);
    QString time = locale.timeFormat(QLocale::ShortFormat);
    time.remove(QRegularExpression(QStringLiteral("[:.]s+")));
    return (dayFirst ? QStringLiteral("d MMM") : QStringLiteral("MMM d")) + QStringLiteral(", ") +
           time;
}

qreal ShotCard::boxHeight() {
    // Asked for every card on every frame; font metrics cost more than the rest of a layout.
    static QFont font;
    static qreal dpi = 0;
    static qreal height = 0;
    const QFont now = QApplication::font();
    const qreal nowDpi = QGuiApplication::primaryScreen()
                             ? QGuiApplication::primaryScreen()->logicalDotsPerInch()
                             : 0;
    if (height == 0 || now != font || nowDpi != dpi) {
        const qreal names = 2 * lineHeight(nameFont()) + namesSpacing +
                            std::max(lineHeight(oldNameFont()), lineHeight(noteFont()));
        height = padding + thumbnailHeight + spacing + names + spacing + lineHeight(metaFont()) +
                 padding;
        font = now;
        dpi = nowDpi;
    }
    return height;
}

QRectF ShotCard::boxRect(const QRectF& cell) {
    return cell.adjusted(0, 0, -3, -3);
}

QRectF ShotCard::thumbnailRect(const QRectF& cell) {
    const QRectF box = boxRect(cell);
    return {box.left() + padding, box.top() + padding, box.width() - 2 * padding, thumbnailHeight};
}

QRectF ShotCard::sourceMarkRect(const QRectF& cell) {
    const qreal names = 2 * lineHeight(nameFont()) + namesSpacing +
                        std::max(lineHeight(oldNameFont()), lineHeight(noteFont()));
    const qreal top = thumbnailRect(cell).bottom() + spacing + names + spacing;
    return {boxRect(cell).left() + padding, top + (lineHeight(metaFont()) - 10) / 2, 10, 10};
}

std::vector<QRectF> ShotCard::buttonRects(const QRectF& cell, std::size_t count) {
    const QRectF thumb = thumbnailRect(cell);
    std::vector<QRectF> rects;
    qreal x = thumb.right() - overlayPadding - static_cast<qreal>(count) * buttonSize -
              static_cast<qreal>(count - 1) * buttonSpacing;
    for (std::size_t i = 0; i < count; ++i) {
        rects.emplace_back(x, thumb.top() + overlayPadding, buttonSize, buttonSize);
        x += buttonSize + buttonSpacing;
    }
    return rects;
}

QString ShotCard::quotedTextLine(const QString& textLine) {
    return QStringLiteral("\u201C") + textLine + QStringLiteral("\u201D");
}

void ShotCard::paint(QPainter& painter, const QRectF& cell, const RenameRecord& record,
                     const QString& query, qreal hover, const QImage& image,
                     const QString& textLine) {
    const QRectF box = boxRect(cell);
    painter.save();
    if (hover > 0) {
        painter.translate(box.center());
        painter.rotate(tiltDegrees * hover);
        painter.translate(-box.center() + QPointF(0, -2 * hover));
    }
    paintBase(painter, cell, record, image, hover, !textLine.isEmpty());
    if (hover > 0) {
        const auto buttons = RecordPresentation::hoverActions(record);
        const auto rects = buttonRects(cell, buttons.size());
        for (std::size_t i = 0; i < buttons.size(); ++i) {
            paintRoundButton(painter, rects[i], buttons[i].icon);
        }
    }
    paintTexts(painter, cell, record, query, textLine);
    painter.restore();
}

void ShotCard::paintBase(QPainter& painter, const QRectF& cell, const RenameRecord& record,
                         const QImage& image, qreal hover, bool withTextLine) {
    const QRectF box = boxRect(cell);
    CrayonBox background;
    background.fill = Ink::mix(Qt::white, QColor(255, 248, 236), hover);
    background.line = Ink::ink();
    background.lineWidth = 2.2;
    background.radius = 16;
    background.shadow = true;
    background.seed = seed(record.id);
    background.paint(painter, box);

    const QRectF thumb = thumbnailRect(cell);
    RecordPresentation::paintTile(painter, thumb, image, tileLook());
    if (record.undone) {
        Chip{QStringLiteral("Undone"), Ink::yellow(), std::nullopt}.paint(
            painter, thumb.topLeft() + QPointF(overlayPadding, overlayPadding));
    }

    // The meta line sits below the names and the second line, whose height only an undone
    // record's note changes.
    const qreal left = box.left() + padding;
    const qreal width = box.width() - 2 * padding;
    const qreal second = record.undone && !withTextLine
                             ? lineHeight(noteFont())
                             : std::max(lineHeight(oldNameFont()), lineHeight(noteFont()));
    const qreal y =
        thumb.bottom() + spacing + 2 * lineHeight(nameFont()) + namesSpacing + second + spacing;
    const QFont meta = metaFont();
    const QString icon = RecordPresentation::sourceIcon(record.source);
    Icons::paint(painter, sourceMarkRect(cell), icon, Ink::orange());
    painter.setFont(meta);
    painter.setPen(Ink::ink3());
    const QFontMetricsF metrics(meta);
    const QString date = dateText(record);
    const qreal dateLeft = left + 16;
    painter.drawText(QPointF(dateLeft, y + metrics.ascent()), date);
    const qreal folderLeft = dateLeft + metrics.horizontalAdvance(date) + 4;
    const QString folder =
        metrics.elidedText(DashboardText::lastComponent(qs(record.folderPath)), Qt::ElideRight,
                           std::max<qreal>(0, left + width - folderLeft));
    painter.drawText(
        QPointF(left + width - metrics.horizontalAdvance(folder), y + metrics.ascent()), folder);
}

void ShotCard::paintTexts(QPainter& painter, const QRectF& cell, const RenameRecord& record,
                          const QString& query, const QString& textLine) {
    const QRectF box = boxRect(cell);
    const qreal left = box.left() + padding;
    const qreal width = box.width() - 2 * padding;
    qreal y = thumbnailRect(cell).bottom() + spacing;
    const qreal nameHeight = 2 * lineHeight(nameFont());
    const QString name = RecordPresentation::shownStem(record);
    TextDrawing::paint(painter, QRectF(left, y, width, nameHeight), name, nameFont(), Ink::ink(),
                       DashboardText::highlight(name, query), 2);
    y += nameHeight + namesSpacing;
    if (!textLine.isEmpty()) {
        const QString shown = quotedTextLine(textLine);
        TextDrawing::paint(painter, QRectF(left, y, width, lineHeight(oldNameFont())), shown,
                           oldNameFont(), Ink::ink3(), DashboardText::highlight(shown, query), 1);
    } else if (record.undone) {
        TextDrawing::paint(painter, QRectF(left, y, width, lineHeight(noteFont())),
                           RecordPresentation::secondLine(record), noteFont(), Ink::ink4(),
                           std::nullopt, 1);
    } else {
        const QString old = RecordPresentation::secondLine(record);
        const qreal drawn =
            TextDrawing::paint(painter, QRectF(left, y, width, lineHeight(oldNameFont())), old,
                               oldNameFont(), Ink::ink4(), DashboardText::highlight(old, query), 1);
        const QFontMetricsF oldMetrics(oldNameFont());
        painter.setPen(QPen(RecordPresentation::strikeColor(), oldMetrics.lineWidth()));
        painter.drawLine(RecordPresentation::strikeLine(oldMetrics, QPointF(left, y), drawn));
    }
}

} // namespace ui

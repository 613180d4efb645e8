#include "dashboard/DashboardToast.h"

#include "access/Accessibility.h"
#include "panel/MessageBanner.h"

#include "AppModel.h"
#include "look/CrayonBox.h"
#include "look/CrayonButton.h"
#include "look/Fonts.h"
#include "look/Icons.h"
#include "look/Ink.h"
#include "look/PointerCursor.h"

#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QToolButton>
#include <QVariantAnimation>

namespace ui {

namespace {

constexpr int padX = 16;
constexpr int padY = 12;
constexpr int iconSide = 15;

} // namespace

DashboardToast::DashboardToast(app::AppModel& model, QWidget* parent,
                               std::chrono::milliseconds timeout)
    : QWidget(parent), model_(model), text_(new QLabel(this)),
      nameAgain_(
          new CrayonButton(QStringLiteral("Name Again"), CrayonButton::Kind::orange, true, this)),
      close_(new QToolButton(this)), fade_(new QGraphicsOpacityEffect(this)),
      slide_(new QVariantAnimation(this)) {
    setProperty("accessibleKind", QStringLiteral("message"));
    Accessibility::install();
    close_->setAccessibleName(QStringLiteral("Close"));
    fade_->setOpacity(0);
    setGraphicsEffect(fade_);
    slide_->setDuration(220);
    slide_->setEasingCurve(QEasingCurve::OutCubic);
    connect(slide_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        presence_ = value.toReal();
        fade_->setOpacity(presence_);
        place(area_);
    });
    connect(slide_, &QVariantAnimation::finished, this, [this] {
        if (presence_ <= 0) {
            hide();
        }
    });
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(padX + iconSide + 10, padY, padX, padY);
    row->setSpacing(10);
    text_->setFont(Fonts::system(13, QFont::Medium));
    text_->setWordWrap(true);
    row->addWidget(text_, 1, Qt::AlignTop);
    row->addWidget(nameAgain_, 0, Qt::AlignTop);
    close_->setIcon(
        QIcon(Icons::pixmap(QStringLiteral("x"), Ink::ink3(), 11, devicePixelRatioF())));
    close_->setAutoRaise(true);
    close_->setStyleSheet(QStringLiteral("QToolButton { border: none; background: transparent; }"));
    close_->setToolTip(QStringLiteral("Close"));
    PointerCursor::attach(close_);
    row->addWidget(close_, 0, Qt::AlignTop);

    timer_.setSingleShot(true);
    // A coarse timer may keep its old deadline when a new report restarts it.
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(timeout);
    connect(&timer_, &QTimer::timeout, this, &DashboardToast::expire);
    connect(nameAgain_, &QAbstractButton::clicked, this, [this]() {
        if (const auto id = model_.lastUndoneID()) {
            model_.nameAgain(*id);
        }
    });
    connect(close_, &QToolButton::clicked, this, [this]() { model_.setMessage(std::nullopt); });
    connect(&model_, &app::AppModel::messageChanged, this, &DashboardToast::sync);
    connect(&model_, &app::AppModel::lastUndoneIDChanged, this, &DashboardToast::sync);
    connect(&model_, &app::AppModel::historyChanged, this,
            [this] { nameAgain_->setVisible(MessageBanner::offersNameAgain(model_)); });
    sync();
}

void DashboardToast::sync() {
    const auto& message = model_.message();
    if (!message) {
        shown_.clear();
        timer_.stop();
        animateTo(0);
        return;
    }
    // A new text gets four seconds of its own; the same text again does not restart them.
    if (*message != shown_) {
        shown_ = *message;
        text_->setText(shown_);
        timer_.start();
        Accessibility::announce(this, shown_);
    }
    nameAgain_->setVisible(MessageBanner::offersNameAgain(model_));
    place(area_);
    show();
    raise();
    animateTo(1);
}

void DashboardToast::animateTo(qreal shown) {
    if (slide_->endValue().toReal() == shown && slide_->state() == QAbstractAnimation::Running) {
        return;
    }
    slide_->stop();
    if (presence_ == shown) {
        if (shown <= 0) {
            hide();
        }
        return;
    }
    slide_->setStartValue(presence_);
    slide_->setEndValue(shown);
    slide_->start();
}

void DashboardToast::expire() {
    if (model_.message() == shown_ && !model_.lastUndoneID()) {
        model_.setMessage(std::nullopt);
    }
}

void DashboardToast::expireNow() {
    if (!shown_.isEmpty()) {
        timer_.stop();
        expire();
    }
}

void DashboardToast::place(const QRect& area) {
    area_ = area;
    if (area.isEmpty()) {
        return;
    }
    const int width = std::min(maxWidth, area.width() - 40);
    layout()->activate();
    const int height =
        layout()->hasHeightForWidth() ? layout()->totalHeightForWidth(width) : sizeHint().height();
    const int sink = static_cast<int>((1 - presence_) * (bottomGap + height));
    setGeometry(area.left() + (area.width() - width) / 2, area.bottom() - bottomGap - height + sink,
                width, height);
}

void DashboardToast::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box = QRectF(rect()).adjusted(3, 3, -5, -6);
    CrayonBox{QColor(255, 246, 214), std::nullopt, Ink::ink(), 1.8, 14, true, false, 97}.paint(
        painter, box);
    Icons::paint(painter, QRectF(padX, padY + 1, iconSide, iconSide), QStringLiteral("info-fill"),
                 Ink::orangeDeep());
}

} // namespace ui

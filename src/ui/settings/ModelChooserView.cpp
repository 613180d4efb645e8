#include "settings/ModelChooserView.h"

#include "AppModel.h"
#include "ModelChooser.h"
#include "ModelPull.h"
#include "access/Accessibility.h"
#include "look/CrayonButton.h"
#include "look/Fonts.h"
#include "look/Ink.h"
#include "model/ModelEndpoint.h"
#include "panel/SpillItem.h"
#include "panel/WrappedText.h"
#include "settings/ChipLabel.h"
#include "settings/PullBar.h"
#include "settings/StyleOption.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>

namespace ui {

namespace {

constexpr const char* defaultPullModel = "qwen2.5vl:3b";

using engine::ModelServer;

WrappedText* note(QWidget* parent, const QColor& color = Ink::ink3()) {
    return new WrappedText(QString(), Fonts::system(11), color, parent);
}

QLineEdit* field(const QString& name, const QString& placeholder, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setPlaceholderText(placeholder);
    Accessibility::install(); // before the name, which makes Qt describe the field at once
    edit->setAccessibleName(name);
    edit->setFont(Fonts::system(11));
    return edit;
}

QString shortAddress(const std::string& endpoint) {
    QString text = QString::fromStdString(endpoint);
    text.remove(QStringLiteral("http://"));
    return text;
}

bool sameModel(const std::string& listed, const std::string& chosen) {
    return listed == chosen || listed == chosen + ":latest";
}

QString bytes(std::uint64_t count) {
    // Qt counts in a signed type; a count beyond it would read as negative.
    const auto shown = std::min<std::uint64_t>(count, std::numeric_limits<qint64>::max());
    return QLocale::system().formattedDataSize(static_cast<qint64>(shown), 1,
                                               QLocale::DataSizeSIFormat);
}

} // namespace

ModelChooserView::ModelChooserView(app::AppModel& model, QWidget* parent)
    : QWidget(parent), model_(model) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 2, 0, 0);
    column->setSpacing(6);

    status_ = note(this);
    column->addWidget(status_);
    rows_ = new QVBoxLayout;
    rows_->setContentsMargins(0, 0, 0, 0);
    rows_->setSpacing(2);
    column->addLayout(rows_);
    problem_ = note(this, Ink::orangeDeep());
    column->addWidget(problem_);

    auto* look = new QHBoxLayout;
    look->setSpacing(8);
    address_ = field(QStringLiteral("Model server address"),
                     QStringLiteral("Or an address, like http://127.0.0.1:8080"), this);
    lookThere_ =
        new CrayonButton(QStringLiteral("Look There"), CrayonButton::Kind::plain, true, this);
    lookAgain_ =
        new CrayonButton(QStringLiteral("Look Again"), CrayonButton::Kind::plain, true, this);
    SpillItem::addButton(look, lookAgain_);
    look->addWidget(address_, 1);
    SpillItem::addButton(look, lookThere_);
    column->addLayout(look);

    fetch_ = makeFetchRow();
    column->addWidget(fetch_);

    app::ModelChooser& chooser = model_.modelChooser();
    connect(&chooser, &app::ModelChooser::changed, this, &ModelChooserView::refreshServers);
    connect(&model_.modelPull(), &app::ModelPull::changed, this, &ModelChooserView::refreshPull);
    connect(&model_, &app::AppModel::modelChosen, this, &ModelChooserView::refreshSelection);
    connect(lookAgain_, &QAbstractButton::clicked, this, [this] { model_.modelChooser().look(); });
    auto lookThere = [this] { model_.modelChooser().lookAt(address_->text()); };
    connect(lookThere_, &QAbstractButton::clicked, this, lookThere);
    connect(address_, &QLineEdit::returnPressed, this, lookThere);
    refreshServers();
}

QWidget* ModelChooserView::makeFetchRow() {
    auto* box = new QWidget(this);
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(0, 4, 0, 0);
    column->setSpacing(6);
    auto* offer = note(box, Ink::ink2());
    offer->setText(QStringLiteral("No model here looks at images yet. Ollama can fetch one:"));
    column->addWidget(offer);

    auto* ask = new QHBoxLayout;
    ask->setSpacing(8);
    fetchName_ = field(QStringLiteral("Model to fetch"), QStringLiteral("Model name"), box);
    fetchName_->setText(QString::fromLatin1(defaultPullModel));
    fetchButton_ = new CrayonButton(QStringLiteral("Fetch"), CrayonButton::Kind::orange, true, box);
    ask->addWidget(fetchName_, 1);
    SpillItem::addButton(ask, fetchButton_);
    column->addLayout(ask);

    progressRow_ = new QWidget(box);
    auto* progress = new QHBoxLayout(progressRow_);
    progress->setContentsMargins(0, 0, 0, 0);
    progress->setSpacing(8);
    bar_ = new PullBar(progressRow_);
    cancel_ =
        new CrayonButton(QStringLiteral("Cancel"), CrayonButton::Kind::plain, true, progressRow_);
    progress->addWidget(bar_, 1);
    SpillItem::addButton(progress, cancel_);
    column->addWidget(progressRow_);

    pullText_ = note(box, Ink::ink2());
    pullError_ = note(box, Ink::orangeDeep());
    column->addWidget(pullText_);
    column->addWidget(pullError_);
    auto* privacy = note(box);
    privacy->setText(QStringLiteral("Ollama fetches it from its own library. Nothing else is "
                                    "downloaded, and nothing is uploaded."));
    column->addWidget(privacy);

    auto start = [this] {
        model_.modelPull().start(fetchEndpoint(), fetchName_->text(),
                                 model_.modelConfig().allowRemoteModel);
    };
    connect(fetchButton_, &QAbstractButton::clicked, this, start);
    connect(fetchName_, &QLineEdit::returnPressed, this, start);
    connect(cancel_, &QAbstractButton::clicked, this, [this] { model_.modelPull().cancel(); });
    return box;
}

StyleOption* ModelChooserView::optionFor(const QString& model) const {
    for (StyleOption* option : options_) {
        if (option->property("model").toString() == model) {
            return option;
        }
    }
    return nullptr;
}

void ModelChooserView::clearRows() {
    // A row may be the one whose click is being handled: it goes once that click is done.
    while (QLayoutItem* item = rows_->takeAt(0)) {
        if (QWidget* row = item->widget()) {
            row->hide();
            row->deleteLater();
        }
        delete item;
    }
    options_.clear();
    automatic_ = nullptr;
}

StyleOption* ModelChooserView::addOption(const QString& text, const QString& endpoint,
                                         const QString& model, bool images) {
    auto* row = new QWidget(this);
    auto* line = new QHBoxLayout(row);
    line->setContentsMargins(0, 0, 0, 0);
    line->setSpacing(6);
    auto* option = new StyleOption(text, row);
    option->setProperty("endpoint", endpoint);
    option->setProperty("model", model);
    line->addWidget(option, 0, Qt::AlignLeft);
    if (images) {
        line->addWidget(new ChipLabel({QStringLiteral("looks at images"), Ink::mint(), {}}, row));
    }
    line->addStretch(1);
    rows_->addWidget(row);
    connect(option, &QAbstractButton::clicked, this,
            [this, endpoint, model] { model_.modelChooser().choose(endpoint, model); });
    return option;
}

void ModelChooserView::refreshServers() {
    clearRows();
    const app::ModelChooser& chooser = model_.modelChooser();
    const auto& servers = chooser.servers();
    QString status;
    if (chooser.looking() && servers.empty()) {
        status = QStringLiteral("Looking for model servers on this computer\u2026");
    } else if (chooser.lookedOnce() && servers.empty()) {
        status = QStringLiteral("Nothing found on the usual ports. Start Ollama, "
                                "llama-server, LM Studio or vLLM, then look again.");
    } else if (!chooser.lookedOnce()) {
        status = QStringLiteral("Look for model servers on this computer to choose a model.");
    }
    status_->setText(status);
    status_->setVisible(!status.isEmpty());
    lookAgain_->setEnabled(!chooser.looking());

    const engine::ModelConfig config = model_.modelConfig();
    automatic_ = addOption(QStringLiteral("Automatic"), QString::fromStdString(config.endpoint),
                           QString(), false);
    for (const ModelServer& server : servers) {
        QString head = QString::fromStdString(ModelServer::kindName(server.kind)) +
                       QStringLiteral(" at ") + shortAddress(server.endpoint);
        if (!server.ready) {
            head += QStringLiteral(", still loading");
        }
        auto* label = new QLabel(head, this);
        label->setFont(Fonts::system(11, QFont::Bold));
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, Ink::ink2());
        label->setPalette(palette);
        label->setContentsMargins(0, 6, 0, 0);
        rows_->addWidget(label);
        if (server.models.empty()) {
            auto* none = note(this);
            none->setText(QStringLiteral("No models on it yet."));
            rows_->addWidget(none);
        }
        auto models = server.models;
        std::stable_partition(models.begin(), models.end(), [](const ModelServer::Model& m) {
            return m.images == ModelServer::Images::yes;
        });
        const QString endpoint = QString::fromStdString(server.endpoint);
        for (const auto& each : models) {
            const QString name = QString::fromStdString(each.name);
            options_.push_back(
                addOption(name, endpoint, name, each.images == ModelServer::Images::yes));
        }
    }
    const auto& problem = chooser.problem();
    problem_->setText(problem.value_or(QString()));
    problem_->setVisible(problem.has_value());
    refreshSelection();
    shownPullState_ = -1;
    refreshPull();
    emit contentChanged();
}

void ModelChooserView::refreshSelection() {
    const engine::ModelConfig config = model_.modelConfig();
    if (automatic_ != nullptr) {
        automatic_->setSelected(config.modelName.empty());
    }
    for (StyleOption* option : options_) {
        option->setSelected(
            !config.modelName.empty() &&
            sameModel(option->property("model").toString().toStdString(), config.modelName) &&
            engine::ModelEndpoint::sameServer(option->property("endpoint").toString().toStdString(),
                                              config.endpoint));
    }
}

QString ModelChooserView::fetchEndpoint() const {
    const app::ModelPull& pull = model_.modelPull();
    if (pull.state() == app::ModelPull::State::pulling) {
        return pull.endpoint();
    }
    for (const ModelServer& server : model_.modelChooser().servers()) {
        const bool looks =
            std::any_of(server.models.begin(), server.models.end(),
                        [](const auto& m) { return m.images == ModelServer::Images::yes; });
        if (server.kind == ModelServer::Kind::ollama && !looks) {
            return QString::fromStdString(server.endpoint);
        }
    }
    return pull.state() == app::ModelPull::State::idle ? QString() : pull.endpoint();
}

void ModelChooserView::refreshPull() {
    using State = app::ModelPull::State;
    const app::ModelPull& pull = model_.modelPull();
    const State state = pull.state();
    const bool pulling = state == State::pulling;
    const QString name = pull.model();
    fetch_->setVisible(!fetchEndpoint().isEmpty());
    fetchButton_->setEnabled(!pulling);
    fetchName_->setEnabled(!pulling);
    progressRow_->setVisible(pulling);

    const auto& progress = pull.progress();
    bar_->setFraction(progress.total > 0 ? static_cast<qreal>(progress.completed) / progress.total
                                         : -1);
    QString text;
    QString error;
    switch (state) {
    case State::idle:
        break;
    case State::pulling:
        text = QStringLiteral("Fetching ") + name + QStringLiteral("\u2026 ") +
               (progress.total > 0
                    ? bytes(progress.completed) + QStringLiteral(" of ") + bytes(progress.total)
                    : QString::fromStdString(progress.status));
        break;
    case State::finished:
        text = name + QStringLiteral(" is on this computer now and names your screenshots.");
        break;
    case State::cancelled:
        text = QStringLiteral("Stopped. Fetch it again to go on from where it stopped.");
        break;
    case State::failed:
        error = QStringLiteral("Couldn't fetch ") + (name.isEmpty() ? QStringLiteral("it") : name) +
                QStringLiteral(": ") + pull.error();
        break;
    }
    pullText_->setText(text);
    pullText_->setVisible(!text.isEmpty());
    pullError_->setText(error);
    pullError_->setVisible(!error.isEmpty());
    if (shownPullState_ != static_cast<int>(state)) {
        shownPullState_ = static_cast<int>(state);
        emit contentChanged();
    }
}

} // namespace ui

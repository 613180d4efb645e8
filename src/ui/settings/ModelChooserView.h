#pragma once

#include <QWidget>
#include <vector>

class QLabel;
class QLineEdit;
class QVBoxLayout;

namespace app {
class AppModel;
} // namespace app

namespace ui {

class CrayonButton;
class PullBar;
class StyleOption;
class WrappedText;

// The chooser in the "Naming engine" card: the model servers on this computer and their models
// (those that look at images first), "Automatic", looking again, an address typed by hand and
// fetching a model through Ollama. Every choice goes to the model at once.
class ModelChooserView : public QWidget {
    Q_OBJECT

public:
    explicit ModelChooserView(app::AppModel& model, QWidget* parent = nullptr);

    StyleOption* automaticOption() const { return automatic_; }
    // One per model, in the order shown; each carries "endpoint" and "model" properties.
    const std::vector<StyleOption*>& modelOptions() const { return options_; }
    StyleOption* optionFor(const QString& model) const;
    WrappedText* statusText() const { return status_; }
    WrappedText* problemText() const { return problem_; }
    CrayonButton* lookAgainButton() const { return lookAgain_; }
    QLineEdit* addressField() const { return address_; }
    CrayonButton* lookThereButton() const { return lookThere_; }
    QWidget* fetchRow() const { return fetch_; }
    QLineEdit* fetchField() const { return fetchName_; }
    CrayonButton* fetchButton() const { return fetchButton_; }
    PullBar* pullBar() const { return bar_; }
    WrappedText* pullText() const { return pullText_; }
    WrappedText* pullError() const { return pullError_; }
    CrayonButton* cancelButton() const { return cancel_; }

signals:
    // Rows came or went: whoever sizes the page must measure it again.
    void contentChanged();

private:
    QWidget* makeFetchRow();
    void refreshServers();
    void refreshSelection();
    void refreshPull();
    void clearRows();
    StyleOption* addOption(const QString& text, const QString& endpoint, const QString& model,
                           bool images);
    // The Ollama server a model would be fetched to: the one fetching, else the first Ollama
    // without a model that looks at images. Empty when there is none.
    QString fetchEndpoint() const;

    app::AppModel& model_;
    WrappedText* status_ = nullptr;
    QVBoxLayout* rows_ = nullptr;
    StyleOption* automatic_ = nullptr;
    std::vector<StyleOption*> options_;
    WrappedText* problem_ = nullptr;
    CrayonButton* lookAgain_ = nullptr;
    QLineEdit* address_ = nullptr;
    CrayonButton* lookThere_ = nullptr;
    QWidget* fetch_ = nullptr;
    QLineEdit* fetchName_ = nullptr;
    CrayonButton* fetchButton_ = nullptr;
    QWidget* progressRow_ = nullptr;
    PullBar* bar_ = nullptr;
    CrayonButton* cancel_ = nullptr;
    WrappedText* pullText_ = nullptr;
    WrappedText* pullError_ = nullptr;
    int shownPullState_ = -1;
};

} // namespace ui

#include "shell/QuillmarkApp.h"

#include "AppModel.h"
#include "LoginItem.h"
#include "shell/DisplayCheck.h"
#include "shell/FolderChooser.h"
#include "shell/LightAppearance.h"
#include "shell/LoginLaunch.h"
#include "shell/QuitSignals.h"
#include "shell/Shell.h"
#include "shell/SingleInstance.h"
#include "shell/Snapshot.h"
#include "tray/PanelWindow.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPointer>
#include <QProcessEnvironment>
#include <QTimer>
#include <iostream>

namespace ui {

namespace {

void setIdentity(QApplication& application) {
    QApplication::setApplicationName(QStringLiteral("Quillmark"));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.quillmark.Quillmark"));
    application.setQuitOnLastWindowClosed(false);
    LightAppearance::apply(application);
}

// What only the windows can do for the model.
app::AppServices applicationServices(QPointer<PanelWindow>& panel) {
    app::AppServices services = app::AppServices::forApplication();
    services.chooseFolder = &FolderChooser::choose;
    services.altHeld = [] {
        return QGuiApplication::queryKeyboardModifiers().testFlag(Qt::AltModifier);
    };
    services.bringToFront = [&panel] {
        if (panel && panel->isVisible()) {
            panel->raise();
            panel->activateWindow();
        }
    };
    services.passUndoToTextEditor = [] {
        auto* field = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        if (field == nullptr || field->isReadOnly() || !field->isUndoAvailable()) {
            return false;
        }
        field->undo();
        return true;
    };
    // The open-at-login default belongs to the windowed program only; when the model takes it
    // as an option, switch it on here.
    return services;
}

int runOffscreen(int argc, char** argv, const std::function<int()>& mode) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    setIdentity(application);
    return mode();
}

} // namespace

int QuillmarkApp::run(int argc, char** argv, bool launchedAtLogin) {
    if (!DisplayCheck::hasGraphicalSession(QProcessEnvironment::systemEnvironment())) {
        std::cerr << DisplayCheck::noDisplayLine() << std::endl;
        return 1;
    }
    QApplication application(argc, argv);
    setIdentity(application);

    SingleInstance instance(SingleInstance::defaultFolder());
    if (instance.claim() == SingleInstance::Role::secondary) {
        if (!instance.sendOpenDashboard(qgetenv("XDG_ACTIVATION_TOKEN"))) {
            std::cerr << "quillmark: another Quillmark is running but does not answer" << std::endl;
            return 1;
        }
        return 0;
    }
    QuitSignals::install(application);

    QPointer<PanelWindow> panel;
    app::AppModel model(applicationServices(panel));
    Shell shell(model);
    panel = &shell.panel();
    QObject::connect(&instance, &SingleInstance::openDashboardRequested, &shell,
                     &Shell::openDashboard);
    shell.start();

    const bool quiet = LoginLaunch::staysQuiet(launchedAtLogin, LoginLaunch::systemUptime(),
                                               [] { return app::LoginItem().isEnabled(); });
    if (!quiet) {
        QTimer::singleShot(openDelayMs, &shell, [&shell] { shell.openDashboard(); });
    }
    return application.exec();
}

int QuillmarkApp::snapshot(int argc, char** argv, const QString& folder) {
    return runOffscreen(argc, argv, [&folder] { return Snapshot::run(folder); });
}

int QuillmarkApp::bench(int argc, char** argv) {
    return runOffscreen(argc, argv, [] { return Snapshot::bench(); });
}

} // namespace ui

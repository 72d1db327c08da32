// SPDX-License-Identifier: GPL-2.0-or-later
// Saves a picture of every dialog, to look at them as a user would:
//   uidialogs_gallery OUT_FOLDER [LANGUAGE_ID]
// Each picture shows the dialog over a plain backdrop, as it would sit over the desktop.
#include "app/Environment.h"
#include "glint/ViewSync.h"
#include "ui/dialogs/CUIMessageBox.h"
#include "ui/dialogs/CloseWindowTipDlg.h"
#include "ui/dialogs/DialogText.h"
#include "ui/dialogs/LCDDelayEditDlg.h"
#include "ui/dialogs/UpdateTipDlg.h"
#include "ui/dialogs/WaitDlg.h"
#include "platform/SettingsStore.h"

#include <QApplication>
#include <QDir>
#include <QPainter>

#include <cstdio>
#include <cstdlib>

namespace zephyl {
namespace {

void Settle() {
    for (int round = 0; round < 5; ++round) {
        QCoreApplication::processEvents();
        glint::ViewSync::Instance().Flush();
    }
}

bool Save(glint::MDialog& dialog, const QString& folder, const QString& name) {
    dialog.ShowWindow(glint::kShow);
    Settle();
    const QPixmap window = dialog.grab();
    QPixmap picture(window.size() + QSize(40, 40));
    picture.fill(QColor(0x5A, 0x6A, 0x7A));
    QPainter painter(&picture);
    painter.drawPixmap(20, 20, window);
    painter.end();
    dialog.ShowWindow(glint::kShowHide);
    const QString path = QDir(folder).filePath(name + QStringLiteral(".png"));
    if (!picture.save(path)) {
        std::fprintf(stderr, "cannot write %s\n", path.toUtf8().constData());
        return false;
    }
    std::printf("%s\n", path.toUtf8().constData());
    return true;
}

}  // namespace
}  // namespace zephyl

int main(int argc, char** argv) {
    using namespace zephyl;
    if (argc < 2) {
        std::fprintf(stderr, "usage: uidialogs_gallery OUT_FOLDER [LANGUAGE_ID]\n");
        return 2;
    }
    QApplication application(argc, argv);
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);
    SetCurrentLanguageId(argc > 2 ? std::atoi(argv[2]) : kEnglishLanguageId);
    const QString suffix = QStringLiteral("-%1").arg(CurrentLanguageId());
    bool saved = true;

    for (int kind : {kMessageBoxOk, kMessageBoxYesNo}) {
        CUIMessageBox box(kind == kMessageBoxOk ? DialogText(165) : DialogText(167),
                          DialogText(kind == kMessageBoxOk ? 166 : 168), kind);
        box.CreateBox(nullptr);
        saved &= Save(box, folder, QStringLiteral("messagebox-%1").arg(kind) + suffix);
    }
    {
        // A long message takes more lines within the band.
        CUIMessageBox box(DialogText(165) + QLatin1Char(' ') + DialogText(167), DialogText(168),
                          kMessageBoxYesNo);
        box.CreateBox(nullptr);
        saved &= Save(box, folder, QStringLiteral("messagebox-long") + suffix);
    }
    {
        const SettingsStore store(SoftwareName());
        CloseWindowTipDlg dialog(store);
        dialog.CreateDlg(nullptr);
        saved &= Save(dialog, folder, QStringLiteral("closewindowtip") + suffix);
    }
    {
        LCDDelayEditDlg dialog(QStringLiteral("Frame 3"), QStringLiteral("120"));
        dialog.CreateDlg(nullptr);
        saved &= Save(dialog, folder, QStringLiteral("lcddelayedit") + suffix);
    }
    {
        UpdateTipDlg dialog;
        dialog.CreateDlg(nullptr);
        saved &= Save(dialog, folder, QStringLiteral("updatetip") + suffix);
    }
    {
        WaitDlg dialog;
        dialog.CreateDlg(nullptr);
        saved &= Save(dialog, folder, QStringLiteral("waitdlg") + suffix);
    }
    {
        LEDWaitDlg dialog;
        dialog.CreateDlg();
        saved &= Save(dialog, folder, QStringLiteral("ledwaitdlg") + suffix);
    }
    {
        LEDWaitDlg2 dialog;
        dialog.CreateDlg();
        dialog.SetProgress(40);
        saved &= Save(dialog, folder, QStringLiteral("ledwaitdlg2") + suffix);
    }
    return saved ? 0 : 1;
}

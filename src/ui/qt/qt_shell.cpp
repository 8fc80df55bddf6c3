#include "ui/qt/qt_shell.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFile>
#include <QFontDialog>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QUrl>
#include <cstdio>
#include <cstdlib>

#include "ui/qt/image_list.h"
#include "ui/qt/qt_form.h"
#include "ui/qt/resources.h"

namespace ui::qt {

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// Message texts are written with "\r\n" line breaks; the box wants "\n".
QString MessageText(const std::string& text) {
    QString out = Q(text);
    out.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    out.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return out;
}

QWidget* ActiveWindow() {
    if (QWidget* modal = QApplication::activeModalWidget()) {
        return modal;
    }
    return QApplication::activeWindow();
}

}  // namespace

void InstallStyle() {
    EnsureResources();
    QFile sheet(":/style/qitai.qss");
    if (sheet.open(QIODevice::ReadOnly)) {
        qApp->setStyleSheet(QString::fromUtf8(sheet.readAll()));
    }
    QFont font = QApplication::font();
    font.setFamilies(
        {"WenQuanYi Micro Hei", "Noto Sans CJK SC", "Microsoft YaHei", "SimSun", font.family()});
    font.setPointSize(10);
    QApplication::setFont(font);
}

QtShell::QtShell() = default;

QtShell::~QtShell() {
    RemoveTrayIcon();
}

Answer QtShell::MessageBox(const std::string& text, const std::string& caption, Buttons buttons) {
    QMessageBox box(ActiveWindow());
    box.setWindowTitle(Q(caption));
    box.setText(MessageText(text));
    box.setTextFormat(Qt::PlainText);
    switch (buttons) {
        case Buttons::Ok:
            box.setStandardButtons(QMessageBox::Ok);
            break;
        case Buttons::OkCancel:
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            break;
        case Buttons::YesNo:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            box.setIcon(QMessageBox::Question);
            break;
    }
    switch (box.exec()) {
        case QMessageBox::Yes:
            return Answer::Yes;
        case QMessageBox::No:
            return Answer::No;
        case QMessageBox::Cancel:
            return Answer::Cancel;
        default:
            // Escape and the close button give No or Cancel where the box has one.
            return Answer::Ok;
    }
}

void QtShell::EndProcess(int code) {
    std::fflush(nullptr);
    std::_Exit(code & 0xff);
}

void QtShell::SetTimer(int id, int interval_ms, std::function<void()> tick) {
    KillTimer(id);  // the timer replaced may be ticking right now
    auto timer = std::make_unique<QTimer>();
    timer->setInterval(interval_ms);
    connect(timer.get(), &QTimer::timeout, this, std::move(tick));
    timer->start();
    timers_[id] = std::move(timer);
}

void QtShell::KillTimer(int id) {
    const auto it = timers_.find(id);
    if (it != timers_.end()) {
        // A tick may kill its own timer: let the timer go once the tick has returned.
        it->second->stop();
        it->second.release()->deleteLater();
        timers_.erase(it);
    }
}

void QtShell::Post(std::function<void()> work) {
    // A queued call on the application object: safe from any thread, in posting order.
    QMetaObject::invokeMethod(qApp, std::move(work), Qt::QueuedConnection);
}

bool QtShell::SetClipboardText(const std::string& text) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard == nullptr) {
        return false;
    }
    clipboard->setText(Q(text));
    return true;
}

bool QtShell::OpenAddress(const std::string& address) {
    return QDesktopServices::openUrl(QUrl::fromUserInput(Q(address)));
}

void QtShell::PlaySound(const std::string& resource) {
    auto it = sounds_.find(resource);
    if (it == sounds_.end()) {
        EnsureResources();
        QFile file(":/sounds/" + Q(resource) + ".wav");
        std::optional<PcmSound> sound;
        if (file.open(QIODevice::ReadOnly)) {
            const QByteArray bytes = file.readAll();
            sound = ParseWave(std::string_view(bytes.constData(), bytes.size()));
        }
        it = sounds_.emplace(resource, std::move(sound)).first;
    }
    if (it->second) {
        sound_output_.Play(*it->second);
    }
}

SoundOutput& QtShell::Sounds() {
    return sound_output_;
}

bool QtShell::StartProgram(const std::string& program, const std::vector<std::string>& args) {
    return StartDetached(program, args);
}

std::unique_ptr<Form> QtShell::CreateForm(const std::string& template_name) {
    std::unique_ptr<QtForm> form = QtForm::Load(template_name);
    if (form == nullptr) {
        std::fprintf(stderr, "qitai: the window template \"%s\" is missing\n",
                     template_name.c_str());
        EndProcess(-1);
    }
    return form;
}

int QtShell::RunModal(Form& form) {
    return static_cast<QtForm&>(form).Exec();
}

Form* QtShell::FindWindow(const std::string& title) {
    return QtForm::FindByTitle(title);
}

bool QtShell::ClaimInstance(const std::string& name) {
    return HoldProcessLock(name);
}

bool QtShell::AddTrayIcon(const std::string& icon, const std::string& tip,
                          std::function<void(TrayEvent)> handler) {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        return false;
    }
    tray_ = std::make_unique<QSystemTrayIcon>(LoadIcon(Q(icon)));
    tray_->setToolTip(Q(tip));
    tray_handler_ = std::move(handler);
    connect(tray_.get(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (!tray_handler_) {
                    return;
                }
                if (reason == QSystemTrayIcon::Trigger) {
                    tray_handler_(TrayEvent::LeftClick);
                } else if (reason == QSystemTrayIcon::Context) {
                    tray_handler_(TrayEvent::RightClick);
                }
            });
    tray_->show();
    return true;
}

void QtShell::SetTrayIcon(const std::string& icon) {
    if (tray_ != nullptr) {
        tray_->setIcon(LoadIcon(Q(icon)));
    }
}

void QtShell::RemoveTrayIcon() {
    if (tray_ != nullptr) {
        tray_->hide();
        tray_.reset();
    }
    tray_handler_ = nullptr;
}

int QtShell::PopupMenu(const std::vector<MenuItem>& items) {
    QMenu menu(ActiveWindow());
    for (const MenuItem& item : items) {
        if (item.command == 0) {
            menu.addSeparator();
        } else {
            menu.addAction(Q(item.text))->setData(item.command);
        }
    }
    QAction* chosen = menu.exec(QCursor::pos());
    return chosen == nullptr ? 0 : chosen->data().toInt();
}

bool QtShell::ChooseFont(Font& font) {
    QFont initial(Q(font.face));
    if (font.point_size > 0) {
        initial.setPointSize(font.point_size);
    }
    initial.setBold(font.bold);
    initial.setItalic(font.italic);
    initial.setUnderline(font.underline);
    initial.setStrikeOut(font.strike_out);
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, initial, ActiveWindow());
    if (!ok) {
        return false;
    }
    font.face = chosen.family().toStdString();
    font.point_size = chosen.pointSize();
    font.bold = chosen.bold();
    font.italic = chosen.italic();
    font.underline = chosen.underline();
    font.strike_out = chosen.strikeOut();
    return true;
}

}  // namespace ui::qt

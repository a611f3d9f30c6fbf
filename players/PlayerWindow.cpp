#include "players/PlayerWindow.h"

#include "platform/system/FileInfo.h"
#include "platform/widgets/Keys.h"

#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QPointer>
#include <QWheelEvent>

namespace {

const QString kPause = QStringLiteral("Pause");
const QString kUnloading = QStringLiteral("Unloading");

} // namespace

PlayerWindow::PlayerWindow(PlayState& state, const ExitPictures& pictures, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), state_(state), pictures_(pictures), viewerKeys_(state)
{
}

PlayerWindow::~PlayerWindow()
{
    EndWait();
    StopTakingKeys();
}

QString PlayerWindow::PlayingCaption() const
{
    return QStringLiteral("Playing... ") + platform::ExistingFileName(state_.CurrentFile);
}

void PlayerWindow::Form_KeyDown(int keyCode)
{
    if (!Playing())
        return;
    switch (keyCode) {
    case platform::kKeyControl:
        // Skip: the run goes on with its next file.
        EndByUser(ShowingEnd::Skipped, false);
        break;
    case platform::kKeyAlt:
        // The caption is the only record of the pause: whatever else it
        // reads, Alt pauses.
        if (Caption() == kPause) {
            SetCaption(PlayingCaption());
            PlayOn();
        } else {
            SetCaption(kPause);
            PauseHere();
        }
        break;
    case platform::kKeyEscape:
    case platform::kKeySpace:
        EndByUser(ShowingEnd::Stopped, true);
        break;
    default:
        if (!OwnKey(keyCode))
            viewerKeys_.Form_KeyDown(keyCode, Controls());
        break;
    }
}

void PlayerWindow::NoteEnd(ShowingEnd end)
{
    if (outcome_.end != ShowingEnd::None || !Playing())
        return;
    outcome_.end = end;
    outcome_.position = ReachedPosition();
    outcome_.duration = KnownLength();
}

void PlayerWindow::EndByUser(ShowingEnd end, bool stop)
{
    SetCaption(kUnloading);
    if (stop)
        state_.StopRequested = kTrue;
    NoteEnd(end);
    Unload();
}

void PlayerWindow::ExitImagePressed()
{
    ShowExitPicture(pictures_.pressed);
}

void PlayerWindow::ExitImageReleased()
{
    ShowExitPicture(pictures_.released);
    // Let the released look be painted before the window goes.
    QCoreApplication::processEvents();
    // The user let go on the exit image, so the run stops even if the film
    // happened to end while the picture was being repainted.
    state_.StopRequested = kTrue;
    NoteEnd(ShowingEnd::Stopped);
    Unload();
}

bool PlayerWindow::ShowAndWait(const std::function<bool()>& ended)
{
    // The window sees every key first, whichever of its children has focus.
    qApp->installEventFilter(this);
    takingKeys_ = true;
    setWindowModality(Qt::ApplicationModal);
    show();
    raise();
    activateWindow();

    const QPointer<PlayerWindow> self(this);
    QEventLoop loop;
    loop_ = &loop;
    // An end during the load or the show has already happened; a quit asked
    // for before exec() would be lost, hence the look first.
    if (!ended())
        loop.exec();
    if (!self)
        return false;
    loop_ = nullptr;
    return true;
}

void PlayerWindow::EndWait()
{
    if (loop_ != nullptr)
        loop_->quit();
}

void PlayerWindow::StopTakingKeys()
{
    if (!takingKeys_)
        return;
    qApp->removeEventFilter(this);
    takingKeys_ = false;
}

bool PlayerWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Wheel && watched == PictureArea() && Playing()) {
        viewerKeys_.Wheel(static_cast<QWheelEvent*>(event)->angleDelta().y(), Controls());
        return true;
    }
    if (event->type() != QEvent::KeyPress || !Playing())
        return QWidget::eventFilter(watched, event);
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || widget->window() != this)
        return QWidget::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    const int keyCode = platform::KeyCodeOf(key->key());
    if (keyCode == 0 || !TakesKey(keyCode))
        return QWidget::eventFilter(watched, event);
    if (!key->isAutoRepeat() || ActsOnRepeat(keyCode))
        Form_KeyDown(keyCode);
    key->accept();
    return true;
}

// SPDX-License-Identifier: GPL-2.0-or-later
#include "lighting/ScreenLight.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>

namespace zephyl {
namespace {

/// Every fourth pixel of every fourth line is plenty for an 18 × 6 average and keeps a sample
/// of a large screen near a millisecond.
constexpr int kSampleStep = 4;

/// A failed shared-memory request (a remote display) must end the capture, not the program.
int IgnoreXError(Display*, XErrorEvent*) {
    return 0;
}

class X11ScreenGrabber : public ScreenGrabber {
public:
    ~X11ScreenGrabber() override {
        if (m_image) {
            XShmDetach(m_display, &m_shm);
            XDestroyImage(m_image);
            shmdt(m_shm.shmaddr);
        }
        if (m_display) {
            XCloseDisplay(m_display);
        }
    }

    bool Open() {
        XSetErrorHandler(&IgnoreXError);
        m_display = XOpenDisplay(nullptr);
        if (!m_display || !XShmQueryExtension(m_display)) {
            return false;
        }
        const int screen = DefaultScreen(m_display);
        m_root = RootWindow(m_display, screen);
        m_width = DisplayWidth(m_display, screen);
        m_height = DisplayHeight(m_display, screen);
        m_image = XShmCreateImage(m_display, DefaultVisual(m_display, screen),
                                  static_cast<unsigned>(DefaultDepth(m_display, screen)), ZPixmap,
                                  nullptr, &m_shm, static_cast<unsigned>(m_width),
                                  static_cast<unsigned>(m_height));
        if (!m_image || m_image->bits_per_pixel != 32) {
            return false;
        }
        m_shm.shmid =
            shmget(IPC_PRIVATE,
                   static_cast<size_t>(m_image->bytes_per_line) * static_cast<size_t>(m_height),
                   IPC_CREAT | 0600);
        if (m_shm.shmid < 0) {
            XDestroyImage(m_image);
            m_image = nullptr;
            return false;
        }
        m_shm.shmaddr = m_image->data = static_cast<char*>(shmat(m_shm.shmid, nullptr, 0));
        m_shm.readOnly = False;
        const bool attached = XShmAttach(m_display, &m_shm) != 0;
        XSync(m_display, False);
        shmctl(m_shm.shmid, IPC_RMID, nullptr);  // gone once both sides detach
        return attached;
    }

    bool Grab(ScreenCells& cells) override {
        if (!m_image || !XShmGetImage(m_display, m_root, m_image, 0, 0, AllPlanes)) {
            return false;
        }
        cells = AverageScreenCells(reinterpret_cast<const std::uint32_t*>(m_image->data), m_width,
                                   m_height, m_image->bytes_per_line / 4, kSampleStep);
        return true;
    }

private:
    Display* m_display = nullptr;
    Window m_root = 0;
    int m_width = 0;
    int m_height = 0;
    XImage* m_image = nullptr;
    XShmSegmentInfo m_shm{};
};

}  // namespace

std::unique_ptr<ScreenGrabber> OpenX11ScreenGrabber() {
    auto grabber = std::make_unique<X11ScreenGrabber>();
    if (!grabber->Open()) {
        return nullptr;
    }
    return grabber;
}

}  // namespace zephyl

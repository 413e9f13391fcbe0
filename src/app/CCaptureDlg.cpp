#include "CCaptureDlg.h"

#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QListWidget>
#include <QPixmap>
#include <QScreen>
#include <QVBoxLayout>

#include <xcb/xcb.h>

#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

struct FreeDeleter
{
    void operator()(void *p) const { std::free(p); }
};
template <typename T>
using XcbReply = std::unique_ptr<T, FreeDeleter>;

xcb_atom_t atom(xcb_connection_t *c, const char *name)
{
    XcbReply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

QString x11WindowTitle(xcb_connection_t *c, xcb_window_t w, xcb_atom_t netWmName, xcb_atom_t utf8)
{
    for (auto [property, type] : {std::pair{netWmName, utf8}, std::pair{xcb_atom_t(XCB_ATOM_WM_NAME), xcb_atom_t(XCB_ATOM_STRING)}}) {
        XcbReply<xcb_get_property_reply_t> reply(
            xcb_get_property_reply(c, xcb_get_property(c, 0, w, property, type, 0, 1024), nullptr));
        if (reply && xcb_get_property_value_length(reply.get()) > 0) {
            const auto *data = static_cast<const char *>(xcb_get_property_value(reply.get()));
            const int size = xcb_get_property_value_length(reply.get());
            return type == utf8 ? QString::fromUtf8(data, size) : QString::fromLatin1(data, size);
        }
    }
    return {};
}

QList<xcb_window_t> clientWindows(xcb_connection_t *c, xcb_window_t root)
{
    QList<xcb_window_t> out;
    // A window manager keeps the list of managed windows; without one, the root's mapped children.
    XcbReply<xcb_get_property_reply_t> list(xcb_get_property_reply(
        c, xcb_get_property(c, 0, root, atom(c, "_NET_CLIENT_LIST"), XCB_ATOM_WINDOW, 0, 4096), nullptr));
    if (list && list->format == 32 && xcb_get_property_value_length(list.get()) > 0) {
        const auto *ids = static_cast<const xcb_window_t *>(xcb_get_property_value(list.get()));
        const int n = xcb_get_property_value_length(list.get()) / 4;
        for (int i = 0; i < n; ++i)
            out.append(ids[i]);
        return out;
    }
    XcbReply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr));
    if (!tree)
        return out;
    const xcb_window_t *children = xcb_query_tree_children(tree.get());
    for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
        XcbReply<xcb_get_window_attributes_reply_t> attrs(
            xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, children[i]), nullptr));
        if (attrs && attrs->map_state == XCB_MAP_STATE_VIEWABLE && !attrs->override_redirect)
            out.append(children[i]);
    }
    return out;
}

} // namespace

QList<CCaptureDlg::Window> CCaptureDlg::topLevelWindows()
{
    QList<Window> windows;
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *c = x11 ? x11->connection() : nullptr;
    if (c) {
        const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
        const xcb_atom_t netWmName = atom(c, "_NET_WM_NAME");
        const xcb_atom_t utf8 = atom(c, "UTF8_STRING");
        for (xcb_window_t w : clientWindows(c, screen->root)) {
            const QString title = x11WindowTitle(c, w, netWmName, utf8);
            if (!title.isEmpty())
                windows.append({quintptr(w), title});
        }
    }
    windows.append({0, tr("سطح المكتب كاملا")});
    return windows;
}

CCaptureDlg::CCaptureDlg(QWidget *parent) : QDialog(parent), m_windows(topLevelWindows()), m_list(new QListWidget(this))
{
    setWindowTitle(u"Capture"_s);
    setLayoutDirection(Qt::RightToLeft);
    for (const Window &w : m_windows)
        m_list->addItem(w.title);
    m_list->setCurrentRow(0);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addWidget(buttons);
    resize(420, 300);
}

void CCaptureDlg::choose(int row)
{
    m_list->setCurrentRow(row);
}

QImage CCaptureDlg::grab() const
{
    const int row = m_list->currentRow();
    if (row < 0 || row >= m_windows.size())
        return {};
    QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return {};
    // The picture never reaches past the screen: grabWindow clips it there.
    const QPixmap shot = screen->grabWindow(WId(m_windows[row].id));
    return shot.toImage();
}

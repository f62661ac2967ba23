// SPDX-License-Identifier: GPL-3.0-or-later
// A minimal X clipboard manager, as desktop ones behave: it owns
// CLIPBOARD_MANAGER and, when the clipboard's owner asks it to SAVE_TARGETS
// on its way out, converts every target the owner offers and writes each to
// a file of the output folder (named after the target, '/' as '_'), then
// answers. With --silent it owns the selection and never answers.
//   clipboard_manager OUTDIR [--silent]
// Prints "ready" once it owns the selection, "saved N" when done.
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

namespace {

xcb_connection_t* conn;
xcb_window_t window;

template <class T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

xcb_atom_t atom(const char* name)
{
    Reply<xcb_intern_atom_reply_t> r(
        xcb_intern_atom_reply(conn, xcb_intern_atom(conn, 0, std::strlen(name), name), nullptr), &std::free);
    return r ? r->atom : XCB_NONE;
}

std::string atomName(xcb_atom_t a)
{
    Reply<xcb_get_atom_name_reply_t> r(xcb_get_atom_name_reply(conn, xcb_get_atom_name(conn, a), nullptr), &std::free);
    return r ? std::string(xcb_get_atom_name_name(r.get()), xcb_get_atom_name_name_length(r.get())) : std::string();
}

// The next event of that type, other events dropped; null after 10 s.
Reply<xcb_generic_event_t> waitFor(uint8_t type)
{
    for (int waited = 0; waited < 10000;) {
        xcb_generic_event_t* e = xcb_poll_for_event(conn);
        if (!e) {
            if (xcb_connection_has_error(conn))
                break;
            struct timespec ms = {0, 1000000};
            nanosleep(&ms, nullptr);
            ++waited;
            continue;
        }
        if ((e->response_type & 0x7f) == type)
            return {e, &std::free};
        std::free(e);
    }
    return {nullptr, &std::free};
}

// Reads and deletes our property; type is what it held.
std::string takeProperty(xcb_atom_t property, xcb_atom_t* type)
{
    Reply<xcb_get_property_reply_t> r(
        xcb_get_property_reply(conn, xcb_get_property(conn, 1, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1u << 28),
                               nullptr),
        &std::free);
    if (!r)
        return {};
    *type = r->type;
    const int bytes = xcb_get_property_value_length(r.get());
    return std::string(static_cast<const char*>(xcb_get_property_value(r.get())), bytes);
}

// One target of CLIPBOARD, by plain transfer or INCR. False when refused.
bool convert(xcb_atom_t target, std::string& data)
{
    const xcb_atom_t clipboard = atom("CLIPBOARD"), property = atom("KELVORAN_SAVED"), incr = atom("INCR");
    xcb_delete_property(conn, window, property);
    xcb_convert_selection(conn, window, clipboard, target, property, XCB_CURRENT_TIME);
    xcb_flush(conn);
    auto notify = waitFor(XCB_SELECTION_NOTIFY);
    if (!notify || reinterpret_cast<xcb_selection_notify_event_t*>(notify.get())->property == XCB_NONE)
        return false;
    xcb_atom_t type = XCB_NONE;
    data = takeProperty(property, &type);
    xcb_flush(conn);
    if (type != incr)
        return true;
    data.clear();
    for (;;) { // each new chunk arrives as a new value of the property; an empty one ends
        auto e = waitFor(XCB_PROPERTY_NOTIFY);
        if (!e)
            return false;
        auto* p = reinterpret_cast<xcb_property_notify_event_t*>(e.get());
        if (p->atom != property || p->state != XCB_PROPERTY_NEW_VALUE)
            continue;
        const std::string chunk = takeProperty(property, &type);
        xcb_flush(conn);
        if (chunk.empty())
            return true;
        data += chunk;
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    const std::string outdir = argv[1];
    const bool silent = argc > 2 && std::strcmp(argv[2], "--silent") == 0;
    conn = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(conn))
        return 1;
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(conn)).data;
    window = xcb_generate_id(conn);
    const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(conn, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                      screen->root_visual, XCB_CW_EVENT_MASK, &mask);
    const xcb_atom_t manager = atom("CLIPBOARD_MANAGER"), saveTargets = atom("SAVE_TARGETS");
    xcb_set_selection_owner(conn, window, manager, XCB_CURRENT_TIME);
    xcb_flush(conn);
    std::printf("ready\n");
    std::fflush(stdout);

    for (;;) {
        Reply<xcb_generic_event_t> e(xcb_wait_for_event(conn), &std::free);
        if (!e)
            return 1;
        if ((e->response_type & 0x7f) != XCB_SELECTION_REQUEST)
            continue;
        const auto request = *reinterpret_cast<xcb_selection_request_event_t*>(e.get());
        if (request.selection != manager || request.target != saveTargets || silent)
            continue;

        int saved = 0;
        std::string list;
        if (convert(atom("TARGETS"), list)) {
            std::vector<xcb_atom_t> targets(list.size() / sizeof(xcb_atom_t));
            std::memcpy(targets.data(), list.data(), targets.size() * sizeof(xcb_atom_t));
            for (xcb_atom_t target : targets) {
                std::string name = atomName(target), data;
                if (name == "TARGETS" || name == "MULTIPLE" || name == "TIMESTAMP" || name == "SAVE_TARGETS"
                    || !convert(target, data))
                    continue;
                for (char& c : name)
                    if (c == '/' || c == ';' || c == '"' || c == ' ' || c == '=')
                        c = '_';
                if (FILE* f = std::fopen((outdir + "/" + name).c_str(), "wb")) {
                    std::fwrite(data.data(), 1, data.size(), f);
                    saved += std::fclose(f) == 0;
                }
            }
        }
        xcb_selection_notify_event_t reply{};
        reply.response_type = XCB_SELECTION_NOTIFY;
        reply.time = request.time;
        reply.requestor = request.requestor;
        reply.selection = request.selection;
        reply.target = request.target;
        reply.property = request.property;
        xcb_send_event(conn, 0, request.requestor, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&reply));
        xcb_flush(conn);
        std::printf("saved %d\n", saved);
        std::fflush(stdout);
    }
}

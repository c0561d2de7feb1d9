/* A keyboard and a pointer for weston's headless backend, which has neither.
 *
 * Loaded with `weston --modules=<path of this module>`, it adds a seat named
 * "default" and takes one request per line on the Unix socket named by
 * KIVO_WESTON_INPUT. Its events enter the compositor through the same calls a
 * real input device's do, so focus, key maps, serials and grabs are weston's
 * own. Requests (each answered with one line, "ok" or what was asked for):
 *   key CODE down|up          an evdev key code (KEY_A = 30)
 *   button CODE down|up       an evdev button code (BTN_LEFT = 272)
 *   point X Y TITLE           the pointer to surface point X,Y of the
 *                             toplevel window titled TITLE
 *   where TITLE               "X Y W H" of that window on the output, or "none"
 *   focus                     the title of the keyboard's focus, or "none"
 *   grab                      "default" while the pointer has no grab of the
 *                             shell's (a window move holds one), else "shell"
 */
#define _GNU_SOURCE /* accept4 */
#include <libweston-desktop/libweston-desktop.h>
#include <libweston/libweston.h>

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <time.h>
#include <unistd.h>

/* Exported by libweston for its backends; their header is not installed. */
void weston_seat_init(struct weston_seat *seat, struct weston_compositor *ec, const char *name);
int weston_seat_init_pointer(struct weston_seat *seat);
int weston_seat_init_keyboard(struct weston_seat *seat, struct xkb_keymap *keymap);
void notify_key(struct weston_seat *seat, const struct timespec *time, uint32_t key,
                enum wl_keyboard_key_state state, enum weston_key_state_update update);
void notify_button(struct weston_seat *seat, const struct timespec *time, int32_t button,
                   enum wl_pointer_button_state state);
void notify_motion_absolute(struct weston_seat *seat, const struct timespec *time, double x,
                            double y);
void notify_pointer_frame(struct weston_seat *seat);

struct input {
    struct weston_compositor *compositor;
    struct weston_seat seat;
    int listen_fd;
    char path[108];
    struct wl_listener destroy;
};

struct connection {
    struct input *input;
    int fd;
    struct wl_event_source *source;
    char buf[1024];
    size_t len;
};

static void now(struct timespec *t)
{
    clock_gettime(CLOCK_MONOTONIC, t);
}

static const char *title_of(struct weston_surface *surface)
{
    if (!surface || !weston_surface_is_desktop_surface(surface)) return NULL;
    return weston_desktop_surface_get_title(weston_surface_get_desktop_surface(surface));
}

/* The layers, not the compositor's view list: that list is rebuilt only when
 * the output is next repainted, so a window just mapped or just closed would
 * be answered for as it was before. */
static struct weston_view *find_window(struct input *in, const char *title)
{
    struct weston_layer *layer;
    struct weston_view *view;
    wl_list_for_each(layer, &in->compositor->layer_list, link)
    {
        wl_list_for_each(view, &layer->view_list.link, layer_link.link)
        {
            const char *t = title_of(view->surface);
            if (t && weston_view_is_mapped(view) && strcmp(t, title) == 0) return view;
        }
    }
    return NULL;
}

static int parse_state(const char *word, int *pressed)
{
    if (strcmp(word, "down") == 0)
        *pressed = 1;
    else if (strcmp(word, "up") == 0)
        *pressed = 0;
    else
        return -1;
    return 0;
}

/* Carries out one request; writes the answer into out. */
static void handle(struct input *in, char *line, char *out, size_t size)
{
    struct timespec t;
    char word[16], state[8];
    unsigned code;
    int pressed, used = 0;
    now(&t);
    snprintf(out, size, "error: %.200s", line);
    if (sscanf(line, "%15s%n", word, &used) != 1) return;
    const char *rest = line + used;
    while (*rest == ' ')
        ++rest;

    if (strcmp(word, "key") == 0 || strcmp(word, "button") == 0) {
        if (sscanf(rest, "%u %7s", &code, state) != 2 || parse_state(state, &pressed) < 0) return;
        if (word[0] == 'k') {
            notify_key(&in->seat, &t, code,
                       pressed ? WL_KEYBOARD_KEY_STATE_PRESSED : WL_KEYBOARD_KEY_STATE_RELEASED,
                       STATE_UPDATE_AUTOMATIC);
        } else {
            notify_button(&in->seat, &t, (int32_t)code,
                          pressed ? WL_POINTER_BUTTON_STATE_PRESSED
                                  : WL_POINTER_BUTTON_STATE_RELEASED);
            notify_pointer_frame(&in->seat);
        }
        snprintf(out, size, "ok");
    } else if (strcmp(word, "point") == 0) {
        double x, y;
        int n = 0;
        if (sscanf(rest, "%lf %lf %n", &x, &y, &n) != 2) return;
        struct weston_view *view = find_window(in, rest + n);
        if (!view) {
            snprintf(out, size, "none");
            return;
        }
        float gx, gy;
        weston_view_to_global_float(view, (float)x, (float)y, &gx, &gy);
        notify_motion_absolute(&in->seat, &t, gx, gy);
        notify_pointer_frame(&in->seat);
        snprintf(out, size, "ok");
    } else if (strcmp(word, "where") == 0) {
        struct weston_view *view = find_window(in, rest);
        if (view)
            snprintf(out, size, "%d %d %d %d", (int)view->geometry.x, (int)view->geometry.y,
                     view->surface->width, view->surface->height);
        else
            snprintf(out, size, "none");
    } else if (strcmp(word, "focus") == 0) {
        struct weston_keyboard *kb = weston_seat_get_keyboard(&in->seat);
        const char *title = kb ? title_of(kb->focus) : NULL;
        snprintf(out, size, "%s", title ? title : "none");
    } else if (strcmp(word, "grab") == 0) {
        struct weston_pointer *p = weston_seat_get_pointer(&in->seat);
        snprintf(out, size, "%s", p && p->grab != &p->default_grab ? "shell" : "default");
    }
}

static void close_connection(struct connection *c)
{
    wl_event_source_remove(c->source);
    close(c->fd);
    free(c);
}

static int on_readable(int fd, uint32_t mask, void *data)
{
    struct connection *c = data;
    (void)mask;
    ssize_t n = read(fd, c->buf + c->len, sizeof c->buf - 1 - c->len);
    if (n <= 0) {
        close_connection(c);
        return 0;
    }
    c->len += (size_t)n;
    char *start = c->buf, *end;
    while ((end = memchr(start, '\n', c->len - (size_t)(start - c->buf)))) {
        *end = '\0';
        char out[256];
        handle(c->input, start, out, sizeof out - 1);
        size_t len = strlen(out);
        out[len++] = '\n';
        if (write(fd, out, len) != (ssize_t)len) {
            close_connection(c);
            return 0;
        }
        start = end + 1;
    }
    c->len -= (size_t)(start - c->buf);
    memmove(c->buf, start, c->len);
    if (c->len == sizeof c->buf - 1) close_connection(c); /* a line too long for any request */
    return 0;
}

static int on_connect(int fd, uint32_t mask, void *data)
{
    struct input *in = data;
    (void)mask;
    int client = accept4(fd, NULL, NULL, SOCK_CLOEXEC);
    if (client < 0) return 0;
    struct connection *c = calloc(1, sizeof *c);
    if (!c) {
        close(client);
        return 0;
    }
    c->input = in;
    c->fd = client;
    struct wl_event_loop *loop = wl_display_get_event_loop(in->compositor->wl_display);
    c->source = wl_event_loop_add_fd(loop, client, WL_EVENT_READABLE, on_readable, c);
    return 0;
}

static void on_destroy(struct wl_listener *listener, void *data)
{
    struct input *in = wl_container_of(listener, in, destroy);
    (void)data;
    close(in->listen_fd);
    unlink(in->path);
}

WL_EXPORT int wet_module_init(struct weston_compositor *compositor, int *argc, char *argv[])
{
    (void)argc;
    (void)argv;
    const char *path = getenv("KIVO_WESTON_INPUT");
    struct sockaddr_un addr = {.sun_family = AF_UNIX};
    if (!path || strlen(path) >= sizeof addr.sun_path) {
        weston_log("weston_input: KIVO_WESTON_INPUT must name a socket path\n");
        return -1;
    }
    struct input *in = calloc(1, sizeof *in);
    if (!in) return -1;
    in->compositor = compositor;
    snprintf(in->path, sizeof in->path, "%s", path);
    snprintf(addr.sun_path, sizeof addr.sun_path, "%s", path);

    weston_seat_init(&in->seat, compositor, "default");
    if (weston_seat_init_pointer(&in->seat) < 0 || weston_seat_init_keyboard(&in->seat, NULL) < 0)
        return -1;

    unlink(path);
    in->listen_fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (in->listen_fd < 0 || bind(in->listen_fd, (struct sockaddr *)&addr, sizeof addr) < 0 ||
        listen(in->listen_fd, 4) < 0) {
        weston_log("weston_input: cannot listen on %s: %s\n", path, strerror(errno));
        return -1;
    }
    wl_event_loop_add_fd(wl_display_get_event_loop(compositor->wl_display), in->listen_fd,
                         WL_EVENT_READABLE, on_connect, in);
    weston_compositor_add_destroy_listener_once(compositor, &in->destroy, on_destroy);
    weston_log("weston_input: seat \"default\", requests on %s\n", path);
    return 0;
}

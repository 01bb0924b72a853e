/* xdnd_drag --display D --window WID FILE...: drops files on an X window the way a file
 * manager does, through the XDND protocol (version 5): enter, position at the window's centre,
 * drop, then hand over the files as a text/uri-list and wait for the target to finish.
 * Exit status 0 when the target accepted and finished the drop, 1 otherwise, 2 on bad usage. */

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/select.h>
#include <time.h>

enum { kVersion = 5, kTimeoutSeconds = 10 };

static Atom atom(Display* display, const char* name) {
  return XInternAtom(display, name, False);
}

static void sendMessage(Display* display, Window target, Atom type, long a, long b, long c, long d,
                        long e) {
  XEvent event;
  memset(&event, 0, sizeof event);
  event.xclient.type = ClientMessage;
  event.xclient.window = target;
  event.xclient.message_type = type;
  event.xclient.format = 32;
  event.xclient.data.l[0] = a;
  event.xclient.data.l[1] = b;
  event.xclient.data.l[2] = c;
  event.xclient.data.l[3] = d;
  event.xclient.data.l[4] = e;
  XSendEvent(display, target, False, NoEventMask, &event);
  XFlush(display);
}

/* "file://" and the path with every byte outside the unreserved set percent-encoded. */
static char* fileUri(const char* path) {
  static const char hex[] = "0123456789ABCDEF";
  size_t length = strlen(path);
  char* uri = malloc(8 + 3 * length + 1);
  if (uri == NULL) return NULL;
  char* out = uri + sprintf(uri, "file://");
  for (const unsigned char* p = (const unsigned char*)path; *p != '\0'; ++p) {
    if ((*p >= 'A' && *p <= 'Z') || (*p >= 'a' && *p <= 'z') || (*p >= '0' && *p <= '9') ||
        strchr("/-_.~", *p) != NULL) {
      *out++ = (char)*p;
    } else {
      *out++ = '%';
      *out++ = hex[*p >> 4];
      *out++ = hex[*p & 15];
    }
  }
  *out = '\0';
  return uri;
}

/* The text/uri-list for the files: one URI per line, each line ending in CR LF. */
static char* uriList(int count, char** paths) {
  size_t size = 1;
  for (int i = 0; i < count; ++i)
    size += 8 + 3 * strlen(paths[i]) + 2;
  char* list = malloc(size);
  if (list == NULL) return NULL;
  list[0] = '\0';
  for (int i = 0; i < count; ++i) {
    char* uri = fileUri(paths[i]);
    if (uri == NULL) {
      free(list);
      return NULL;
    }
    strcat(list, uri);
    strcat(list, "\r\n");
    free(uri);
  }
  return list;
}

/* Waits for the next event, or returns 0 once the deadline has passed. */
static int nextEvent(Display* display, time_t deadline, XEvent* event) {
  while (!XPending(display)) {
    const time_t now = time(NULL);
    if (now >= deadline) return 0;
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(ConnectionNumber(display), &readable);
    struct timeval wait = {deadline - now, 0};
    select(ConnectionNumber(display) + 1, &readable, NULL, NULL, &wait);
  }
  XNextEvent(display, event);
  return 1;
}

static void answerSelectionRequest(Display* display, const XSelectionRequestEvent* request,
                                   Atom uriListType, const char* list) {
  XEvent reply;
  memset(&reply, 0, sizeof reply);
  reply.xselection.type = SelectionNotify;
  reply.xselection.requestor = request->requestor;
  reply.xselection.selection = request->selection;
  reply.xselection.target = request->target;
  reply.xselection.time = request->time;
  reply.xselection.property = None;
  if (request->target == uriListType && request->property != None) {
    XChangeProperty(display, request->requestor, request->property, uriListType, 8, PropModeReplace,
                    (const unsigned char*)list, (int)strlen(list));
    reply.xselection.property = request->property;
  }
  XSendEvent(display, request->requestor, False, NoEventMask, &reply);
  XFlush(display);
}

static int usage(void) {
  fputs("usage: xdnd_drag --display D --window WID FILE...\n", stderr);
  return 2;
}

int main(int argc, char** argv) {
  const char* displayName = NULL;
  const char* windowText = NULL;
  int first = 1;
  while (first + 1 < argc && strncmp(argv[first], "--", 2) == 0) {
    if (strcmp(argv[first], "--display") == 0) {
      displayName = argv[first + 1];
    } else if (strcmp(argv[first], "--window") == 0) {
      windowText = argv[first + 1];
    } else {
      return usage();
    }
    first += 2;
  }
  if (windowText == NULL || first >= argc) return usage();
  const Window target = (Window)strtoul(windowText, NULL, 0);

  Display* display = XOpenDisplay(displayName);
  if (display == NULL) {
    fprintf(stderr, "xdnd_drag: cannot open display %s\n", displayName ? displayName : "");
    return 1;
  }
  char* list = uriList(argc - first, argv + first);
  if (list == NULL) return 1;
  const Window root = DefaultRootWindow(display);
  const Window source = XCreateSimpleWindow(display, root, 0, 0, 1, 1, 0, 0, 0);
  const Atom selection = atom(display, "XdndSelection");
  const Atom uriListType = atom(display, "text/uri-list");
  const Atom copy = atom(display, "XdndActionCopy");
  XSetSelectionOwner(display, selection, source, CurrentTime);

  /* The target's protocol version, from its XdndAware property. */
  Atom type;
  int format;
  unsigned long items, after;
  unsigned char* aware = NULL;
  long version = 0;
  if (XGetWindowProperty(display, target, atom(display, "XdndAware"), 0, 1, False, XA_ATOM, &type,
                         &format, &items, &after, &aware) == Success &&
      aware != NULL && items == 1) {
    version = *(long*)aware;
  }
  if (aware != NULL) XFree(aware);
  if (version < 2) {
    fprintf(stderr, "xdnd_drag: window %s does not accept drops\n", windowText);
    return 1;
  }
  if (version > kVersion) version = kVersion;

  /* The drop point: the centre of the target, in root coordinates. */
  XWindowAttributes attributes;
  XGetWindowAttributes(display, target, &attributes);
  int x = 0, y = 0;
  Window child;
  XTranslateCoordinates(display, target, root, attributes.width / 2, attributes.height / 2, &x, &y,
                        &child);

  sendMessage(display, target, atom(display, "XdndEnter"), (long)source, version << 24,
              (long)uriListType, None, None);
  sendMessage(display, target, atom(display, "XdndPosition"), (long)source, 0,
              ((long)x << 16) | (y & 0xFFFF), CurrentTime, (long)copy);

  const time_t deadline = time(NULL) + kTimeoutSeconds;
  int dropped = 0, accepted = 0, finished = 0;
  XEvent event;
  while (!finished && nextEvent(display, deadline, &event)) {
    if (event.type == SelectionRequest) {
      answerSelectionRequest(display, &event.xselectionrequest, uriListType, list);
    } else if (event.type == ClientMessage &&
               event.xclient.message_type == atom(display, "XdndStatus") && !dropped) {
      accepted = (event.xclient.data.l[1] & 1) != 0;
      if (!accepted) break;
      sendMessage(display, target, atom(display, "XdndDrop"), (long)source, 0, CurrentTime, 0, 0);
      dropped = 1;
    } else if (event.type == ClientMessage &&
               event.xclient.message_type == atom(display, "XdndFinished")) {
      finished = 1;
    }
  }
  if (!dropped) {
    sendMessage(display, target, atom(display, "XdndLeave"), (long)source, 0, 0, 0, 0);
  }
  free(list);
  XDestroyWindow(display, source);
  XCloseDisplay(display);
  if (!finished) {
    fprintf(stderr, "xdnd_drag: the drop was %s\n", accepted ? "not finished" : "refused");
    return 1;
  }
  return 0;
}

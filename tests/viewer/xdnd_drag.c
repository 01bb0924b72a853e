/* xdnd_drag: drops files on an X window the way a file manager does, through the XDND protocol.
 *
 * usage: xdnd_drag [--display D] --window WID [--type uri|plain|both] [--timeout MS] FILE...
 *
 * It owns the XdndSelection, sends XdndEnter, XdndPosition (the window's centre) and XdndDrop,
 * answers the target's selection request with the files as file:// URIs, one per line, and waits
 * for XdndFinished. --type names what is offered: text/uri-list (uri), text/plain (plain), or
 * both, text/uri-list first (the default). Relative names are made absolute first.
 * Exit status: 0 the target took the drop, 1 it refused or did not answer, 2 usage. */

#define _POSIX_C_SOURCE 200809L

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

enum { kXdndVersion = 5, kMaxTypes = 2 };

typedef struct {
  Display* display;
  Window source, target;
  Atom aware, selection, enter, position, status, drop, finished, leave, actionCopy, targets;
  Atom types[kMaxTypes];
  int typeCount;
  char* uriList;
  long timeoutMs;
} Drag;

static int usage(void) {
  fprintf(stderr,
          "usage: xdnd_drag [--display D] --window WID [--type uri|plain|both] "
          "[--timeout MS] FILE...\n");
  return 2;
}

static long nowMs(void) {
  struct timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now.tv_sec * 1000L + now.tv_nsec / 1000000L;
}

/* Appends `text` to the growing buffer *out of *size bytes (with room for the terminator). */
static void append(char** out, size_t* size, const char* text, size_t length) {
  char* grown = realloc(*out, *size + length + 1);
  if (grown == NULL) {
    perror("xdnd_drag");
    exit(1);
  }
  memcpy(grown + *size, text, length);
  *size += length;
  grown[*size] = '\0';
  *out = grown;
}

/* The path with every byte but unreserved ones and '/' written as %XX. */
static void appendEscaped(char** out, size_t* size, const char* path) {
  static const char hex[] = "0123456789ABCDEF";
  for (const unsigned char* p = (const unsigned char*)path; *p != '\0'; ++p) {
    const int plain = (*p >= 'a' && *p <= 'z') || (*p >= 'A' && *p <= 'Z') ||
                      (*p >= '0' && *p <= '9') || strchr("-._~/", *p) != NULL;
    if (plain) {
      append(out, size, (const char*)p, 1);
    } else {
      const char escaped[3] = {'%', hex[*p >> 4], hex[*p & 15]};
      append(out, size, escaped, 3);
    }
  }
}

/* "file://" and the absolute path, escaped; a relative path is taken from the working folder. */
static void appendUri(char** out, size_t* size, const char* path) {
  append(out, size, "file://", 7);
  if (path[0] != '/') {
    char cwd[4096];
    if (getcwd(cwd, sizeof cwd) == NULL) {
      perror("xdnd_drag: getcwd");
      exit(1);
    }
    appendEscaped(out, size, cwd);
    append(out, size, "/", 1);
  }
  appendEscaped(out, size, path);
}

static void sendMessage(Drag* drag, Atom type, long l1, long l2, long l3, long l4) {
  XEvent event;
  memset(&event, 0, sizeof event);
  event.xclient.type = ClientMessage;
  event.xclient.display = drag->display;
  event.xclient.window = drag->target;
  event.xclient.message_type = type;
  event.xclient.format = 32;
  event.xclient.data.l[0] = (long)drag->source;
  event.xclient.data.l[1] = l1;
  event.xclient.data.l[2] = l2;
  event.xclient.data.l[3] = l3;
  event.xclient.data.l[4] = l4;
  XSendEvent(drag->display, drag->target, False, NoEventMask, &event);
  XFlush(drag->display);
}

/* Gives the requestor the URI list in the type it asked for, or the list of types. */
static void answerRequest(Drag* drag, const XSelectionRequestEvent* request) {
  XEvent reply;
  memset(&reply, 0, sizeof reply);
  reply.xselection.type = SelectionNotify;
  reply.xselection.requestor = request->requestor;
  reply.xselection.selection = request->selection;
  reply.xselection.target = request->target;
  reply.xselection.time = request->time;
  reply.xselection.property = None;
  const Atom property = request->property != None ? request->property : request->target;
  if (request->target == drag->targets) {
    XChangeProperty(drag->display, request->requestor, property, XA_ATOM, 32, PropModeReplace,
                    (const unsigned char*)drag->types, drag->typeCount);
    reply.xselection.property = property;
  } else {
    for (int i = 0; i < drag->typeCount; ++i) {
      if (request->target != drag->types[i]) continue;
      XChangeProperty(drag->display, request->requestor, property, request->target, 8,
                      PropModeReplace, (const unsigned char*)drag->uriList,
                      (int)strlen(drag->uriList));
      reply.xselection.property = property;
    }
  }
  XSendEvent(drag->display, request->requestor, False, NoEventMask, &reply);
  XFlush(drag->display);
}

/* Waits for a client message of `type` to the source, answering selection requests meanwhile.
 * Returns 0 when it came (stored in *message), -1 on timeout. */
static int waitFor(Drag* drag, Atom type, XClientMessageEvent* message) {
  const long deadline = nowMs() + drag->timeoutMs;
  for (;;) {
    while (XPending(drag->display) > 0) {
      XEvent event;
      XNextEvent(drag->display, &event);
      if (event.type == SelectionRequest) {
        answerRequest(drag, &event.xselectionrequest);
      } else if (event.type == ClientMessage && event.xclient.message_type == type) {
        *message = event.xclient;
        return 0;
      }
    }
    const long left = deadline - nowMs();
    if (left <= 0) return -1;
    struct pollfd connection = {ConnectionNumber(drag->display), POLLIN, 0};
    poll(&connection, 1, (int)left);
  }
}

static int targetVersion(Drag* drag) {
  Atom type;
  int format;
  unsigned long count, after;
  unsigned char* data = NULL;
  int version = -1;
  if (XGetWindowProperty(drag->display, drag->target, drag->aware, 0, 1, False, XA_ATOM, &type,
                         &format, &count, &after, &data) == Success &&
      data != NULL && count == 1 && format == 32) {
    version = (int)*(const Atom*)data;
  }
  if (data != NULL) XFree(data);
  return version;
}

static int dragOnce(Drag* drag) {
  const int version = targetVersion(drag);
  if (version < 0) {
    fprintf(stderr, "xdnd_drag: window 0x%lx does not take drops (no XdndAware)\n", drag->target);
    return 1;
  }
  const long useVersion = version < kXdndVersion ? version : kXdndVersion;
  XSetSelectionOwner(drag->display, drag->selection, drag->source, CurrentTime);

  sendMessage(drag, drag->enter, useVersion << 24, (long)drag->types[0],
              drag->typeCount > 1 ? (long)drag->types[1] : 0L, 0L);
  XWindowAttributes attributes;
  XGetWindowAttributes(drag->display, drag->target, &attributes);
  int x = 0, y = 0;
  Window child;
  XTranslateCoordinates(drag->display, drag->target, attributes.root, attributes.width / 2,
                        attributes.height / 2, &x, &y, &child);
  sendMessage(drag, drag->position, 0L, (long)x << 16 | (y & 0xFFFF), CurrentTime,
              (long)drag->actionCopy);

  XClientMessageEvent message;
  if (waitFor(drag, drag->status, &message) != 0) {
    fprintf(stderr, "xdnd_drag: no XdndStatus from the target\n");
    sendMessage(drag, drag->leave, 0L, 0L, 0L, 0L);
    return 1;
  }
  if ((message.data.l[1] & 1) == 0) {
    fprintf(stderr, "xdnd_drag: the target refuses the drop\n");
    sendMessage(drag, drag->leave, 0L, 0L, 0L, 0L);
    return 1;
  }
  sendMessage(drag, drag->drop, 0L, CurrentTime, 0L, 0L);
  if (waitFor(drag, drag->finished, &message) != 0) {
    fprintf(stderr, "xdnd_drag: no XdndFinished from the target\n");
    return 1;
  }
  return useVersion >= 5 && (message.data.l[1] & 1) == 0 ? 1 : 0;
}

int main(int argc, char** argv) {
  const char* displayName = NULL;
  const char* windowId = NULL;
  const char* offer = "both";
  long timeoutMs = 5000;
  int first = 1;
  for (; first < argc && strncmp(argv[first], "--", 2) == 0; first += 2) {
    if (strcmp(argv[first], "--") == 0) {
      ++first;
      break;
    }
    if (first + 1 >= argc) return usage();
    if (strcmp(argv[first], "--display") == 0) {
      displayName = argv[first + 1];
    } else if (strcmp(argv[first], "--window") == 0) {
      windowId = argv[first + 1];
    } else if (strcmp(argv[first], "--type") == 0) {
      offer = argv[first + 1];
    } else if (strcmp(argv[first], "--timeout") == 0) {
      timeoutMs = strtol(argv[first + 1], NULL, 10);
    } else {
      return usage();
    }
  }
  if (windowId == NULL || first >= argc || timeoutMs <= 0) return usage();

  Drag drag;
  memset(&drag, 0, sizeof drag);
  drag.timeoutMs = timeoutMs;
  drag.target = (Window)strtoul(windowId, NULL, 0);
  drag.display = XOpenDisplay(displayName);
  if (drag.display == NULL) {
    fprintf(stderr, "xdnd_drag: cannot open display %s\n", XDisplayName(displayName));
    return 1;
  }
  Display* display = drag.display;
  drag.aware = XInternAtom(display, "XdndAware", False);
  drag.selection = XInternAtom(display, "XdndSelection", False);
  drag.enter = XInternAtom(display, "XdndEnter", False);
  drag.position = XInternAtom(display, "XdndPosition", False);
  drag.status = XInternAtom(display, "XdndStatus", False);
  drag.drop = XInternAtom(display, "XdndDrop", False);
  drag.finished = XInternAtom(display, "XdndFinished", False);
  drag.leave = XInternAtom(display, "XdndLeave", False);
  drag.actionCopy = XInternAtom(display, "XdndActionCopy", False);
  drag.targets = XInternAtom(display, "TARGETS", False);
  const Atom uriList = XInternAtom(display, "text/uri-list", False);
  const Atom plain = XInternAtom(display, "text/plain", False);
  if (strcmp(offer, "uri") == 0) {
    drag.types[drag.typeCount++] = uriList;
  } else if (strcmp(offer, "plain") == 0) {
    drag.types[drag.typeCount++] = plain;
  } else if (strcmp(offer, "both") == 0) {
    drag.types[drag.typeCount++] = uriList;
    drag.types[drag.typeCount++] = plain;
  } else {
    XCloseDisplay(display);
    return usage();
  }

  size_t size = 0;
  for (int i = first; i < argc; ++i) {
    appendUri(&drag.uriList, &size, argv[i]);
    append(&drag.uriList, &size, "\r\n", 2);
  }
  drag.source = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
  const int status = dragOnce(&drag);
  XDestroyWindow(display, drag.source);
  XCloseDisplay(display);
  free(drag.uriList);
  return status;
}

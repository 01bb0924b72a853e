/* xdnd_drag: drops files on an X window the way a file manager does, through the XDND protocol.
 *
 * usage: xdnd_drag WINDOW uri|plain|both /ABSOLUTE/FILE...   (on the X display $DISPLAY)
 *
 * It owns the XdndSelection, sends XdndEnter, XdndPosition (the window's centre) and XdndDrop,
 * answers the target's selection request with the files as file:// URIs, one per line, waits
 * for XdndFinished and quits. It offers text/uri-list (uri), text/plain (plain), or both,
 * text/uri-list first.
 * Exit status: 0 the target took the drop, 1 it refused, 2 usage; killed by SIGALRM when the
 * target did not answer in 5 s. */

#define _POSIX_C_SOURCE 200809L

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

enum { kXdndVersion = 5 };
// clang-format off
enum { aAware, aSelection, aEnter, aPosition, aStatus, aDrop, aFinished, aLeave, aCopy, aUriList,
       aPlain, kAtoms };
static char* atomNames[kAtoms] = {"XdndAware", "XdndSelection", "XdndEnter", "XdndPosition",
                                  "XdndStatus", "XdndDrop", "XdndFinished", "XdndLeave",
                                  "XdndActionCopy", "text/uri-list", "text/plain"};
// clang-format on

static Display* display;
static Window source, target;
static Atom atoms[kAtoms], types[2];
static int typeCount;
static char* uriList;

/* "file://PATH\r\n" for each path, every byte but unreserved ones and '/' written as %XX. */
static char* uriListOf(char** paths, int count) {
  size_t size = 1;
  for (int i = 0; i < count; ++i)
    size += 9 + 3 * strlen(paths[i]);
  char* list = malloc(size);
  if (list == NULL) return NULL;
  char* out = list;
  for (int i = 0; i < count; ++i) {
    out += sprintf(out, "file://");
    for (const unsigned char* p = (const unsigned char*)paths[i]; *p != '\0'; ++p) {
      if ((*p >= 'a' && *p <= 'z') || (*p >= 'A' && *p <= 'Z') || (*p >= '0' && *p <= '9') ||
          strchr("-._~/", *p) != NULL) {
        *out++ = (char)*p;
      } else {
        out += sprintf(out, "%%%02X", *p);
      }
    }
    out += sprintf(out, "\r\n");
  }
  return list;
}

static void sendMessage(int type, long l1, long l2, long l3, long l4) {
  XEvent event;
  memset(&event, 0, sizeof event);
  event.xclient.type = ClientMessage;
  event.xclient.window = target;
  event.xclient.message_type = atoms[type];
  event.xclient.format = 32;
  const long data[5] = {(long)source, l1, l2, l3, l4};
  memcpy(event.xclient.data.l, data, sizeof data);
  XSendEvent(display, target, False, NoEventMask, &event);
  XFlush(display);
}

/* Gives the requestor the URI list in the type it asked for (viewers take the types from
 * XdndEnter; none asks for TARGETS). */
static void answerRequest(const XSelectionRequestEvent* request) {
  XEvent reply;
  memset(&reply, 0, sizeof reply);
  reply.xselection.type = SelectionNotify;
  reply.xselection.requestor = request->requestor;
  reply.xselection.selection = request->selection;
  reply.xselection.target = request->target;
  reply.xselection.time = request->time;
  const Atom property = request->property != None ? request->property : request->target;
  if (request->target == types[0] || request->target == types[typeCount - 1]) {
    XChangeProperty(display, request->requestor, property, request->target, 8, PropModeReplace,
                    (const unsigned char*)uriList, (int)strlen(uriList));
    reply.xselection.property = property;
  }
  XSendEvent(display, request->requestor, False, NoEventMask, &reply);
  XFlush(display);
}

/* Waits for a client message of `type` to the source, answering selection requests meanwhile.
 * A target that never answers leaves this program to the alarm set in main. */
static XClientMessageEvent waitFor(int type) {
  for (;;) {
    XEvent event;
    XNextEvent(display, &event);
    if (event.type == SelectionRequest) {
      answerRequest(&event.xselectionrequest);
    } else if (event.type == ClientMessage && event.xclient.message_type == atoms[type]) {
      return event.xclient;
    }
  }
}

static int fail(const char* why) {
  fprintf(stderr, "xdnd_drag: %s\n", why);
  return 1;
}

static int drag(void) {
  Atom type;
  int format;
  unsigned long count, after;
  unsigned char* aware = NULL;
  long version = -1;
  if (XGetWindowProperty(display, target, atoms[aAware], 0, 1, False, XA_ATOM, &type, &format,
                         &count, &after, &aware) == Success &&
      aware != NULL && count == 1 && format == 32) {
    version = (long)*(const Atom*)aware;
  }
  if (aware != NULL) XFree(aware);
  if (version < 0) return fail("the window does not take drops (no XdndAware)");
  if (version > kXdndVersion) version = kXdndVersion;
  XSetSelectionOwner(display, atoms[aSelection], source, CurrentTime);

  sendMessage(aEnter, version << 24, (long)types[0], typeCount > 1 ? (long)types[1] : 0L, 0L);
  XWindowAttributes window;
  XGetWindowAttributes(display, target, &window);
  int x = 0, y = 0;
  Window child;
  XTranslateCoordinates(display, target, window.root, window.width / 2, window.height / 2, &x, &y,
                        &child);
  sendMessage(aPosition, 0L, (long)x << 16 | (y & 0xFFFF), CurrentTime, (long)atoms[aCopy]);

  XClientMessageEvent message = waitFor(aStatus);
  if ((message.data.l[1] & 1) == 0) {
    sendMessage(aLeave, 0L, 0L, 0L, 0L);
    return fail("the target refused the drop");
  }
  sendMessage(aDrop, 0L, CurrentTime, 0L, 0L);
  message = waitFor(aFinished);
  return version >= 5 && (message.data.l[1] & 1) == 0 ? fail("the target did not take it") : 0;
}

int main(int argc, char** argv) {
  const char* offer = argc > 3 ? argv[2] : "";
  if (strcmp(offer, "uri") != 0 && strcmp(offer, "plain") != 0 && strcmp(offer, "both") != 0) {
    fprintf(stderr, "usage: xdnd_drag WINDOW uri|plain|both FILE...\n");
    return 2;
  }
  alarm(5);  // SIGALRM ends a drag that the target leaves unanswered
  display = XOpenDisplay(NULL);
  if (display == NULL) return fail("cannot open the display named by $DISPLAY");
  XInternAtoms(display, atomNames, kAtoms, False, atoms);
  if (strcmp(offer, "plain") != 0) types[typeCount++] = atoms[aUriList];
  if (strcmp(offer, "uri") != 0) types[typeCount++] = atoms[aPlain];
  uriList = uriListOf(argv + 3, argc - 3);
  target = (Window)strtoul(argv[1], NULL, 0);
  source = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
  const int status = uriList != NULL ? drag() : fail("out of memory");
  XDestroyWindow(display, source);
  XCloseDisplay(display);
  free(uriList);
  return status;
}

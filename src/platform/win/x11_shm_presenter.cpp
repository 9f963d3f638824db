#include "platform/win/x11_shm_presenter.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <poll.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <chrono>
#include <map>

#include "platform/win/changed_bands.h"
#include "platform/win/x_errors.h"

namespace velquora {

namespace {

// The longest wait for the server to read a picture before the memory is written
// again. It has always read it long before (a Step lasts tens of milliseconds); when
// the window went away meanwhile, the server reports an error instead, and the wait
// ends here.
constexpr int kCompletionWaitMs = 100;

// A Bits32 picture's pixel is four bytes, blue, green, red and one unused, in memory
// order; the window's must be the same for rows to be copied as they are.
bool LaidOutAsPicture(const XImage& image) {
  return image.bits_per_pixel == 32 && image.byte_order == LSBFirst && image.red_mask == 0xFF0000 &&
         image.green_mask == 0xFF00 && image.blue_mask == 0xFF;
}

// The segment's memory in this process; it stays attached while a picture draws in it,
// even after the server has let go of it.
class SharedSegment : public PixelMemory {
public:
  SharedSegment(std::uint8_t* address, std::size_t size) : address_(address), size_(size) {}
  ~SharedSegment() override { shmdt(address_); }
  SharedSegment(const SharedSegment&) = delete;
  SharedSegment& operator=(const SharedSegment&) = delete;
  std::span<std::uint8_t> Bytes() override { return {address_, size_}; }

private:
  std::uint8_t* address_;
  std::size_t size_;
};

}  // namespace

struct TX11ShmPresenter::Target {
  XShmSegmentInfo Segment{};
  std::shared_ptr<SharedSegment> Memory;
  XImage* Image = nullptr;
  GC Gc = nullptr;
  int Width = 0;
  int Height = 0;
  bool Attached = false;  // the server has the shared memory too
  int Outstanding = 0;    // pictures sent whose completion has not come back
  bool Failed = false;    // the window cannot be served this way

  // The picture draws in this shared memory itself, laid out as the server reads it.
  bool DrawnInShared(const TBitmap& picture) const {
    return Memory != nullptr && picture.LentMemory() == Memory.get() && picture.Width() == Width &&
           picture.Height() == Height && picture.Stride() == Image->bytes_per_line;
  }
};

struct TX11ShmPresenter::Connection {
  Display* display = nullptr;
  int completion_type = 0;
  std::map<WindowHandle, Target> targets;

  ~Connection() {
    for (auto& [window, target] : targets) Release(target);
    XCloseDisplay(display);
  }

  void Release(Target& target) {
    if (target.Attached) {
      XShmDetach(display, &target.Segment);
      XFlush(display);
      target.Attached = false;
    }
    if (target.Image != nullptr) {
      target.Image->data = nullptr;  // the shared memory, not the image's to free
      XDestroyImage(target.Image);
      target.Image = nullptr;
    }
    target.Memory.reset();
    target.Segment = XShmSegmentInfo{};
    if (target.Gc != nullptr) XFreeGC(display, target.Gc);
    target.Gc = nullptr;
    target.Outstanding = 0;
  }

  // A shared image of the window's size, attached at the server; false when the window
  // is gone, its pixels are laid out otherwise or the memory cannot be shared.
  bool Prepare(WindowHandle window, int width, int height, Target& target) {
    XWindowAttributes attributes{};
    Status found = 0;
    const bool answered = WithoutXErrors(
        display, [&] { found = XGetWindowAttributes(display, static_cast<Window>(window), &attributes); });
    if (found == 0 || !answered) return false;
    target.Segment.shmid = -1;
    target.Image = XShmCreateImage(display, attributes.visual, static_cast<unsigned>(attributes.depth), ZPixmap,
                                   nullptr, &target.Segment, static_cast<unsigned>(width),
                                   static_cast<unsigned>(height));
    if (target.Image == nullptr || !LaidOutAsPicture(*target.Image)) return Abandon(target);
    const auto bytes = static_cast<std::size_t>(target.Image->bytes_per_line) * static_cast<std::size_t>(height);
    target.Segment.shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (target.Segment.shmid < 0) return Abandon(target);
    void* memory = shmat(target.Segment.shmid, nullptr, 0);
    if (memory == reinterpret_cast<void*>(-1)) {
      shmctl(target.Segment.shmid, IPC_RMID, nullptr);
      return Abandon(target);
    }
    target.Segment.shmaddr = static_cast<char*>(memory);
    target.Memory = std::make_shared<SharedSegment>(static_cast<std::uint8_t*>(memory), bytes);
    target.Image->data = target.Segment.shmaddr;
    target.Segment.readOnly = True;
    Status attached = 0;
    const bool accepted = WithoutXErrors(display, [&] { attached = XShmAttach(display, &target.Segment); });
    // Marked for removal now: it goes when both sides have let go, even if this process
    // ends without doing so.
    shmctl(target.Segment.shmid, IPC_RMID, nullptr);
    if (attached == 0 || !accepted) return Abandon(target);
    target.Attached = true;
    target.Gc = XCreateGC(display, static_cast<Window>(window), 0, nullptr);
    target.Width = width;
    target.Height = height;
    return true;
  }

  // The window's target, with shared memory of the given size made when it has none
  // (made tells so); nullptr when the window cannot be served.
  Target* Ready(WindowHandle window, int width, int height, bool& made) {
    Target& target = targets[window];
    made = false;
    if (target.Failed) return nullptr;
    if (target.Image != nullptr && target.Width == width && target.Height == height) return &target;
    Release(target);
    if (!Prepare(window, width, height, target)) {
      target.Failed = true;
      return nullptr;
    }
    made = true;
    return &target;
  }

  bool Abandon(Target& target) {
    Release(target);
    return false;
  }

  void TakeEvent() {
    XEvent event;
    XNextEvent(display, &event);
    if (event.type != completion_type) return;
    const auto& completion = reinterpret_cast<const XShmCompletionEvent&>(event);
    const auto found = targets.find(completion.drawable);
    if (found != targets.end() && found->second.Outstanding > 0) --found->second.Outstanding;
  }

  // Takes in the completions the server has sent until the target has none outstanding;
  // with arrived, those still on their way in too. Every look at the connection costs a
  // system call, even when nothing has come, so none is taken once the target is done.
  void Collect(Target& target, bool arrived) {
    while (target.Outstanding > 0 && XEventsQueued(display, QueuedAlready) > 0) TakeEvent();
    if (!arrived) return;
    while (target.Outstanding > 0 && XPending(display) > 0) TakeEvent();
  }

  // Returns once the server has read every picture sent to the target, or after
  // kCompletionWaitMs.
  void AwaitCompletions(Target& target) {
    // The completion usually came in while the last picture was sent.
    Collect(target, false);
    if (target.Outstanding == 0) return;
    Collect(target, true);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kCompletionWaitMs);
    while (target.Outstanding > 0) {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
      if (left <= 0) break;
      pollfd connection{ConnectionNumber(display), POLLIN, 0};
      if (poll(&connection, 1, static_cast<int>(left)) == 0) break;
      Collect(target, true);
    }
    target.Outstanding = 0;
  }

  // Sends the image's rectangles; the server reports back once it has read the last.
  void Send(WindowHandle window, Target& target, const std::vector<Rect>& rects) {
    if (rects.empty()) return;
    for (std::size_t i = 0; i < rects.size(); ++i) {
      const Rect& rect = rects[i];
      const bool last = i + 1 == rects.size();
      XShmPutImage(display, static_cast<Window>(window), target.Gc, target.Image, rect.Left, rect.Top, rect.Left,
                   rect.Top, static_cast<unsigned>(rect.Width()), static_cast<unsigned>(rect.Height()),
                   last ? True : False);
    }
    ++target.Outstanding;
    XFlush(display);
  }
};

std::unique_ptr<TX11ShmPresenter> TX11ShmPresenter::Open(const std::string& display_name) {
  Display* display = XOpenDisplay(display_name.empty() ? nullptr : display_name.c_str());
  if (display == nullptr) return nullptr;
  if (XShmQueryExtension(display) == False) {
    XCloseDisplay(display);
    return nullptr;
  }
  auto connection = std::make_unique<Connection>();
  connection->display = display;
  connection->completion_type = XShmGetEventBase(display) + ShmCompletion;
  return std::unique_ptr<TX11ShmPresenter>(new TX11ShmPresenter(std::move(connection)));
}

TX11ShmPresenter::TX11ShmPresenter(std::unique_ptr<Connection> connection) : connection_(std::move(connection)) {}

TX11ShmPresenter::~TX11ShmPresenter() = default;

bool TX11ShmPresenter::Present(WindowHandle window, int width, int height, const TBitmap& picture, bool anywhere,
                               const std::vector<Rect>& parts, bool whole) {
  if (picture.Format() != PixelFormat::Bits32 || width <= 0 || height <= 0) {
    // Shown some other way now, so the shared copy would fall behind: a later picture
    // starts afresh, whole.
    Forget(window);
    return false;
  }
  bool made = false;
  Target* ready = connection_->Ready(window, width, height, made);
  if (ready == nullptr) return false;
  Target& target = *ready;
  whole = whole || made;
  connection_->AwaitCompletions(target);
  const Rect everything = Intersection(picture.BoundsRect(), Rect{0, 0, width, height});
  if (target.DrawnInShared(picture)) {
    // What was drawn is in the shared memory already and goes as it lies. There is no
    // earlier picture to compare with, so one drawn anywhere goes whole.
    connection_->Send(window, target, DistinctParts(whole || anywhere ? std::vector{everything} : parts, everything));
    return true;
  }
  const WritablePixelRows shown{reinterpret_cast<std::uint8_t*>(target.Image->data), target.Image->bytes_per_line,
                                width, height};
  const PixelRows rows = RowsOf(picture);
  // Parts drawn go as they are: finding the rows that changed in them would read as much
  // of the shared memory, on top of the rows that did, as writing the parts whole does.
  // A picture that may have changed anywhere is compared, not sent whole.
  const std::vector<Rect> bands = whole      ? DistinctParts({everything}, everything)
                                  : anywhere ? ChangedBands(rows, ReadOnly(shown), true, {})
                                             : DistinctParts(parts, everything);
  CopyBands(rows, shown, bands);
  connection_->Send(window, target, bands);
  return true;
}

std::optional<TBitmap> TX11ShmPresenter::NewPicture(WindowHandle window, int width, int height) {
  if (width <= 0 || height <= 0) return std::nullopt;
  bool made = false;
  Target* target = connection_->Ready(window, width, height, made);
  if (target == nullptr || target->Image->bytes_per_line != width * 4) return std::nullopt;
  connection_->AwaitCompletions(*target);
  return TBitmap(width, height, target->Memory);
}

void TX11ShmPresenter::BeforeDrawing(WindowHandle window) {
  const auto found = connection_->targets.find(window);
  if (found != connection_->targets.end()) connection_->AwaitCompletions(found->second);
}

bool TX11ShmPresenter::Repaint(WindowHandle window) {
  const auto found = connection_->targets.find(window);
  if (found == connection_->targets.end() || found->second.Image == nullptr) return false;
  Target& target = found->second;
  connection_->Send(window, target, {Rect{0, 0, target.Width, target.Height}});
  return true;
}

void TX11ShmPresenter::Forget(WindowHandle window) {
  const auto found = connection_->targets.find(window);
  if (found == connection_->targets.end()) return;
  connection_->Release(found->second);
  connection_->targets.erase(found);
}

}  // namespace velquora

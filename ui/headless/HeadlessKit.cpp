#include "ui/headless/HeadlessKit.h"

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <utility>

#include "ui/headless/DialogDriver.h"
#include "ui/headless/HeadlessWindow.h"

namespace ui::headless {
namespace {

std::vector<int> Buttons(unsigned type) {
  switch (type & mb::ButtonsMask) {
    case mb::OkCancel: return {idres::Ok, idres::Cancel};
    case mb::AbortRetryIgnore: return {idres::Abort, idres::Retry, idres::Ignore};
    case mb::YesNoCancel: return {idres::Yes, idres::No, idres::Cancel};
    case mb::YesNo: return {idres::Yes, idres::No};
    case mb::RetryCancel: return {idres::Retry, idres::Cancel};
    default: return {idres::Ok};
  }
}

// Binds the window to the dialog for the length of the modal loop, whatever way it is left.
class ModalScope {
public:
  ModalScope(Dialog& dialog, HeadlessWindow& window, std::vector<HeadlessWindow*>& running,
             std::function<void(HeadlessWindow&)> destroyOwned)
      : dialog_(dialog), window_(window), running_(running), destroyOwned_(std::move(destroyOwned)) {
    dialog_.Attach(&window);
    running_.push_back(&window);
  }
  ~ModalScope() {
    destroyOwned_(window_);
    running_.pop_back();
    dialog_.Attach(nullptr);
  }
  ModalScope(const ModalScope&) = delete;
  ModalScope& operator=(const ModalScope&) = delete;

private:
  Dialog& dialog_;
  HeadlessWindow& window_;
  std::vector<HeadlessWindow*>& running_;
  std::function<void(HeadlessWindow&)> destroyOwned_;
};

}  // namespace

HeadlessKit::HeadlessKit(const ResourceSet& resources, LangId language, ScriptedUser& user)
    : resources_{resources, language}, user_(user) {}

HeadlessKit::~HeadlessKit() {
  for (auto& m : modeless_)
    if (m.window->dialog().Window() == m.window.get()) m.window->dialog().Attach(nullptr);
  for (auto& b : boundPages_)
    if (b.window->dialog().Window() == b.window.get()) b.window->dialog().Attach(nullptr);
}

intptr_t HeadlessKit::RunModal(Dialog& dialog) {
  const int id = dialog.TemplateId();
  const DialogTemplate& dialogTemplate = resources_.Dialog(id);
  if (dialog.IsRunning()) throw std::logic_error("dialog " + std::to_string(id) + " is already running");

  HeadlessWindow window(*this, resources_, dialog, dialogTemplate);
  ModalScope scope(dialog, window, running_, [this](HeadlessWindow& owner) { DestroyOwnedBy(owner); });
  if (dialogTemplate.menuId != 0) window.AttachMenu(dialogTemplate.menuId);
  Dispatched("dialog " + std::to_string(id));
  dialog.DispatchInit();
  window.FinishInit();
  if (window.Ended()) return window.Result();

  if (auto script = user_.TakeScript(id)) {
    DialogDriver driver(*this, window);
    (*script)(driver);
  }
  // A user who leaves a dialog alone ends it the way the close box does.
  if (!window.Ended()) {
    Dispatched("close " + std::to_string(id));
    dialog.DispatchClose();
  }
  if (!window.Ended()) window.End(idres::Cancel);
  return window.Result();
}

bool HeadlessKit::CreateChild(Dialog& child, Dialog& parent) {
  auto* host = dynamic_cast<HeadlessWindow*>(parent.Window());
  if (!host) throw std::logic_error("page " + std::to_string(child.TemplateId()) + ": its parent is not a headless dialog");
  HeadlessWindow& window = host->AddPage(
      std::make_unique<HeadlessWindow>(*this, resources_, child, resources_.Dialog(child.TemplateId()), host));
  child.Attach(&window);
  Dispatched("page " + std::to_string(child.TemplateId()));
  child.DispatchInit();
  window.FinishInit();
  return true;
}

bool HeadlessKit::CreateModeless(Dialog& dialog, Dialog* owner) {
  const DialogTemplate& dialogTemplate = resources_.Dialog(dialog.TemplateId());
  auto* ownerWindow = owner ? dynamic_cast<HeadlessWindow*>(owner->Window()) : nullptr;
  modeless_.push_back(Modeless{std::make_unique<HeadlessWindow>(*this, resources_, dialog, dialogTemplate, nullptr, true),
                               ownerWindow ? &ownerWindow->Root() : nullptr});
  HeadlessWindow& window = *modeless_.back().window;
  dialog.Attach(&window);
  Dispatched("modeless " + std::to_string(dialog.TemplateId()));
  try {
    dialog.DispatchInit();
  } catch (...) {
    DestroyWindow(dialog);  // a half-initialised dialog would stay behind
    throw;
  }
  window.FinishInit();
  return true;
}

HeadlessWindow* HeadlessKit::FindModeless(int templateId) const {
  for (const auto& m : modeless_)
    if (m.window->TemplateId() == templateId) return m.window.get();
  return nullptr;
}

void HeadlessKit::DestroyWindow(Dialog& dialog) {
  auto* window = dynamic_cast<HeadlessWindow*>(dialog.Window());
  if (!window) return;
  if (window->Host()) return window->Host()->DestroyPage(*window);
  auto it = std::find_if(modeless_.begin(), modeless_.end(), [&](const Modeless& m) { return m.window.get() == window; });
  if (it == modeless_.end()) return;  // a modal dialog's window belongs to its loop
  DestroyOwnedBy(*window);
  dialog.Attach(nullptr);
  modeless_.erase(std::find_if(modeless_.begin(), modeless_.end(),
                               [&](const Modeless& m) { return m.window.get() == window; }));
}

void HeadlessKit::DestroyOwnedBy(HeadlessWindow& owner) {
  for (;;) {
    auto it = std::find_if(modeless_.begin(), modeless_.end(), [&](const Modeless& m) { return m.owner == &owner; });
    if (it == modeless_.end()) return;
    Dialog& owned = it->window->dialog();
    if (owned.Window() == it->window.get()) {
      DestroyWindow(owned);
    } else {
      modeless_.erase(it);  // its dialog has moved on to another window
    }
  }
}

std::optional<std::u16string> HeadlessKit::GetFileName(Dialog*, const FileDialogRequest& request) {
  Dispatched("file dialog");
  fileDialogs_.push_back(request);
  std::optional<std::u16string> chosen = user_.TakeFileName(request);
  transcript().FileDialog(request.title, chosen);
  return chosen;
}

void HeadlessKit::BindPage(Dialog& page, void* window) {
  const DialogTemplate& dialogTemplate = resources_.Dialog(page.TemplateId());
  if (page.IsRunning()) throw std::logic_error("page " + std::to_string(page.TemplateId()) + " already has a window");
  boundPages_.push_back(BoundPage{window, std::make_unique<HeadlessWindow>(*this, resources_, page, dialogTemplate)});
  boundPages_.back().window->ShowAsBoundPage();
  page.Attach(boundPages_.back().window.get());
}

void HeadlessKit::UnbindPage(Dialog& page) {
  auto it = std::find_if(boundPages_.begin(), boundPages_.end(),
                         [&](const BoundPage& b) { return &b.window->dialog() == &page; });
  if (it == boundPages_.end()) return;
  if (page.Window() == it->window.get()) page.Attach(nullptr);
  boundPages_.erase(it);
}

void HeadlessKit::DestroyParentWindow(Dialog& page) {
  parentsDestroyed_.push_back(&page);
  UnbindPage(page);
}

bool HeadlessKit::ParentDestroyed(const Dialog& page) const {
  return std::find(parentsDestroyed_.begin(), parentsDestroyed_.end(), &page) != parentsDestroyed_.end();
}

HeadlessWindow* HeadlessKit::FindBoundPage(const Dialog& page) const {
  for (const auto& b : boundPages_)
    if (&b.window->dialog() == &page) return b.window.get();
  return nullptr;
}

HeadlessWindow* HeadlessKit::FindBoundPage(const void* window) const {
  for (const auto& b : boundPages_)
    if (b.name == window) return b.window.get();
  return nullptr;
}

bool HeadlessKit::AcceptsInput(const HeadlessWindow& window) const {
  if (!running_.empty()) return running_.back() == &window;
  return std::any_of(boundPages_.begin(), boundPages_.end(),
                     [&](const BoundPage& b) { return b.window.get() == &window; });
}

void HeadlessKit::BeginWaitCursor() {
  if (waitCursorDepth_++ == 0) ++waitCursorShowings_;
}

void HeadlessKit::EndWaitCursor() {
  if (waitCursorDepth_ > 0) --waitCursorDepth_;
}

bool HeadlessKit::PumpMessages() {
  Dispatched("PumpMessages");
  HeadlessWindow* window = ActiveWindow();
  if (!window) return false;
  auto action = user_.TakePumpAction();
  if (!action) return false;
  DialogDriver driver(*this, *window);
  (*action)(driver);
  return true;
}

int HeadlessKit::DefaultAnswer(unsigned type) { return Buttons(type).front(); }

int HeadlessKit::ShowMessageBox(Dialog*, const std::string& text, const std::string& caption, unsigned type) {
  Dispatched("message box \"" + caption + "\"");
  int answer = user_.TakeAnswer(caption, text, type).value_or(DefaultAnswer(type));
  auto buttons = Buttons(type);
  if (std::find(buttons.begin(), buttons.end(), answer) == buttons.end())
    throw std::logic_error("answer " + AnswerName(answer) + " is not a button of the message box \"" + text + "\"");
  messageBoxes_.push_back(MessageBoxRecord{caption, text, type, answer});
  transcript().Message(caption, text, AnswerName(answer));
  return answer;
}

std::string HeadlessKit::LoadText(int stringId) { return resources_.String(stringId); }

}  // namespace ui::headless

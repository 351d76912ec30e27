#include "comm/CSetEthernetPrinters.h"

#include <array>
#include <cstdio>

#include "comm/AdapterTable.h"
#include "comm/BoardProtocol.h"
#include "comm/SocketException.h"
#include "resource.h"
#include "ui/DataExchange.h"

namespace {

constexpr platform::WORD kWinsockVersion = 0x0202;

using Octets = std::array<std::uint8_t, 4>;

template <class ByteOf>
std::string FormatOctets(const char* format, ByteOf byteOf) {
  char text[32];
  std::snprintf(text, sizeof text, format, unsigned{byteOf(0)}, unsigned{byteOf(1)}, unsigned{byteOf(2)},
                unsigned{byteOf(3)});
  return text;
}

// The four fields of an IP address control's "a.b.c.d" text.
Octets ReadOctets(const std::string& text) {
  Octets octets{};
  unsigned fields[4] = {};
  if (std::sscanf(text.c_str(), "%u.%u.%u.%u", &fields[0], &fields[1], &fields[2], &fields[3]) == 4) {
    for (int i = 0; i < 4; ++i) octets[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(fields[i] & 0xFF);
  }
  return octets;
}

std::string MacText(const TypeBoardInfo& board) {
  char text[32];
  std::snprintf(text, sizeof text, "%02X:%02X:%02X:%02X:%02X:%02X", unsigned{board.MacByte(0)},
                unsigned{board.MacByte(1)}, unsigned{board.MacByte(2)}, unsigned{board.MacByte(3)},
                unsigned{board.MacByte(4)}, unsigned{board.MacByte(5)});
  return text;
}

// Keeps a second search or update from starting inside a running one, which lets input through.
class BusyScope {
public:
  explicit BusyScope(bool& busy) : busy_(busy) { busy_ = true; }
  ~BusyScope() { busy_ = false; }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

private:
  bool& busy_;
};

}  // namespace

CSetEthernetPrinters::CSetEthernetPrinters(AppContext& context, std::int32_t boardKind)
    : ui::Dialog(context.kit, IDD_ETHERNET_PRINTERS), context_(context), boardKind_(boardKind) {
  winsockStarted_ = context_.platform.sockets.WSAStartup(kWinsockVersion) == 0;
}

CSetEthernetPrinters::~CSetEthernetPrinters() {
  if (winsockStarted_) (void)context_.platform.sockets.WSACleanup();  // the session ends either way
}

bool CSetEthernetPrinters::OnInitDialog() {
  ui::ListView list = GetListView(IDC_BOARD_LIST);
  list.InsertColumn(0, "MAC", 120);
  list.InsertColumn(1, "Ip address", 115);
  GetEdit(IDC_BOARD_PORT).SetText(std::to_string(tcpPort));
  // Ostrel boards take their DHCP setting from their own configuration, not from this dialog.
  if (boardKind_ == boardkind::Ostrel) GetButton(IDC_USE_DHCP).Enable(false);
  return true;
}

void CSetEthernetPrinters::OnCommand(int id, int notifyCode) {
  if (notifyCode == ui::cmd::Clicked && id == IDC_BOARD_SEARCH) {
    OnSearch();
    return;
  }
  if (notifyCode == ui::cmd::Clicked && id == IDC_BOARD_UPDATE) {
    OnUpdate();
    return;
  }
  ui::Dialog::OnCommand(id, notifyCode);
}

intptr_t CSetEthernetPrinters::OnNotify(int id, int code) {
  if (id == IDC_BOARD_LIST && code == ui::notify::Click) {
    if (!busy_) OnListClick();
    return 0;
  }
  return ui::Dialog::OnNotify(id, code);
}

void CSetEthernetPrinters::OnOK() {
  // Closing would free the board list that the running operation walks.
  if (busy_) return;
  chosenIp = GetIpAddress(IDC_BOARD_IP).GetText();
  if (!ui::ExchangeUnsigned(*this, IDC_BOARD_PORT, tcpPort, 0, 65535)) return;
  EndDialog(ui::idres::Ok);
}

void CSetEthernetPrinters::OnCancel() {
  if (busy_) return;
  ui::Dialog::OnCancel();
}

void CSetEthernetPrinters::OnSearch() {
  if (busy_) return;
  BusyScope scope(busy_);
  Search();
}

void CSetEthernetPrinters::Search() {
  ui::WaitCursor wait(kit());
  ui::ListView list = GetListView(IDC_BOARD_LIST);
  itemBoards_.clear();
  boards_.reset();
  list.DeleteAllItems();
  const auto pump = [this] { kit().PumpMessages(); };
  try {
    boards_ = std::make_unique<BoardList>(DiscoverBoards(context_.platform, pump, boardKind_, lastReplyAddress_));
  } catch (const SocketException&) {
    boards_ = std::make_unique<BoardList>();
  }
  if (boards_->empty()) return;
  pump();
  for (const auto& board : *boards_) {
    const int item = list.InsertItem(list.GetItemCount(), MacText(*board));
    list.SetItemText(item, 1, FormatOctets("%u.%u.%u.%u", [&](std::uint8_t i) { return board->IpByte(i); }));
    itemBoards_.push_back(board.get());
  }
  list.SetSelectionMark(0);
  const TypeBoardInfo& first = *boards_->front();
  GetIpAddress(IDC_BOARD_IP).SetText(FormatOctets("%u.%u.%u.%u", [&](std::uint8_t i) { return first.IpByte(i); }));
  ShowBoardFields(first, "%03u.%03u.%03u.%03u");
  SuggestAddress();
}

void CSetEthernetPrinters::ShowBoardFields(const TypeBoardInfo& board, const char* addressFormat) {
  GetIpAddress(IDC_BOARD_MASK).SetText(FormatOctets(addressFormat, [&](std::uint8_t i) { return board.MaskByte(i); }));
  GetIpAddress(IDC_BOARD_GATEWAY)
      .SetText(FormatOctets(addressFormat, [&](std::uint8_t i) { return board.GatewayByte(i); }));
  GetEdit(IDC_BOARD_PORT).SetText(std::to_string(board.Port()));
}

// The row with the list's selection mark, which the list view keeps apart from its selected rows:
// a search only marks the first row, and a click beside the rows unselects all but keeps the mark.
TypeBoardInfo* CSetEthernetPrinters::MarkedBoard() {
  const int item = GetListView(IDC_BOARD_LIST).GetSelectionMark();
  if (item < 0 || static_cast<std::size_t>(item) >= itemBoards_.size()) return nullptr;
  return itemBoards_[static_cast<std::size_t>(item)];
}

void CSetEthernetPrinters::OnListClick() {
  ui::ListView list = GetListView(IDC_BOARD_LIST);
  const int item = list.GetSelectionMark();
  if (item < 0) {
    for (int id : {IDC_BOARD_IP, IDC_BOARD_MASK, IDC_BOARD_GATEWAY}) GetIpAddress(id).SetText("");
    return;
  }
  GetIpAddress(IDC_BOARD_IP).SetText(list.GetItemText(item, 1));
  if (const TypeBoardInfo* board = MarkedBoard()) {
    ShowBoardFields(*board, "%u.%u.%u.%u");
    if (boardKind_ == boardkind::Lindor)
      GetButton(IDC_USE_DHCP).SetCheck(board->DhcpEnabled() ? ui::bst::Checked : ui::bst::Unchecked);
  } else {
    GetIpAddress(IDC_BOARD_MASK).SetText("");
    GetIpAddress(IDC_BOARD_GATEWAY).SetText("");
  }
  SuggestAddress();
}

// Steers the user to an address in the computer's own network when the board's lies elsewhere.
void CSetEthernetPrinters::SuggestAddress() {
  AdapterTable adapters;
  BuildAdapterTable(context_.platform, adapters);
  const AdapterRecord* adapter = FindAdapterByAddress(adapters, lastReplyAddress_);
  ui::IpAddress ip = GetIpAddress(IDC_BOARD_IP);
  const std::string shown = ip.GetText();
  if (shown.size() < 6 || lastReplyAddress_.size() < 6 || shown.compare(0, 6, lastReplyAddress_, 0, 6) == 0) return;
  std::size_t cut = std::string::npos;
  for (int dots = 0, i = 0; i < static_cast<int>(lastReplyAddress_.size()); ++i) {
    if (lastReplyAddress_[static_cast<std::size_t>(i)] == '.' && ++dots == 3) {
      cut = static_cast<std::size_t>(i) + 1;
      break;
    }
  }
  if (cut == std::string::npos) return;
  ip.SetText(lastReplyAddress_.substr(0, cut) + "0");
  if (adapter) {
    GetIpAddress(IDC_BOARD_MASK).SetText(adapter->ipMask);
    GetIpAddress(IDC_BOARD_GATEWAY).SetText(adapter->gateway);
  }
  ip.FocusField(3);
}

void CSetEthernetPrinters::OnUpdate() {
  if (busy_) return;
  TypeBoardInfo* board = MarkedBoard();
  if (!board) return;
  BusyScope scope(busy_);
  ui::WaitCursor wait(kit());
  // A rejected port keeps the previous value, as the framework's exchange leaves it.
  (void)ui::ExchangeUnsigned(*this, IDC_BOARD_PORT, tcpPort, 0, 65535);
  const Octets ip = ReadOctets(GetIpAddress(IDC_BOARD_IP).GetText());
  if (ip[0] == 0) {
    GetIpAddress(IDC_BOARD_IP).FocusField(0);
    return;
  }
  const Octets mask = ReadOctets(GetIpAddress(IDC_BOARD_MASK).GetText());
  const Octets gateway = ReadOctets(GetIpAddress(IDC_BOARD_GATEWAY).GetText());
  const bool dhcp = boardKind_ == boardkind::Lindor && GetButton(IDC_USE_DHCP).IsChecked();
  try {
    const auto pump = [this] { kit().PumpMessages(); };
    if (SendBoardSettings(context_.platform, pump, boardKind_, *board, ip, mask, gateway,
                          static_cast<std::uint16_t>(tcpPort), dhcp) == BoardSettingsResult::Sent)
      Search();
  } catch (const SocketException&) {
  }
}

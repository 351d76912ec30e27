#pragma once
// "Ethernet Printers": finds the interface boards on the computer's networks, changes one
// board's IP settings on the board itself, and hands its address and TCP port back to the page.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "AppContext.h"
#include "comm/BoardInfo.h"
#include "comm/WinsockSession.h"
#include "engine/PortMonitorContract.h"
#include "ui/Dialog.h"

class CSetEthernetPrinters : public ui::Dialog {
public:
  // boardKind: boardkind::Ostrel or boardkind::Lindor.
  CSetEthernetPrinters(AppContext& context, std::int32_t boardKind);
  ~CSetEthernetPrinters() override;

  bool OnInitDialog() override;
  void OnCommand(int id, int notifyCode) override;
  intptr_t OnNotify(int id, int code) override;
  void OnOK() override;
  void OnCancel() override;

  // The IP address field's text when OK was pressed, and the port field.
  std::string chosenIp;
  std::uint32_t tcpPort = kDefaultTcpPort;

  // The boards of the last search (null before the first), and the local address their replies
  // came in on.
  const BoardList* boards() const { return boards_.get(); }
  const std::string& lastReplyAddress() const { return lastReplyAddress_; }
  // A search or an update is running (and letting input through).
  bool busy() const { return busy_; }

private:
  void OnSearch();
  void OnUpdate();
  void OnListClick();
  // The search itself, shared by "Search" and "Update".
  void Search();
  void SuggestAddress();
  // Mask, gateway and port; `padded` shows each address field in three digits.
  void ShowBoardFields(const TypeBoardInfo& board, bool padded);
  TypeBoardInfo* MarkedBoard();

  AppContext& context_;
  std::int32_t boardKind_;
  WinsockSession winsock_;
  bool busy_ = false;
  std::unique_ptr<BoardList> boards_;
  std::vector<TypeBoardInfo*> itemBoards_;  // each list item's record, by item index
  std::string lastReplyAddress_;
};

#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "net/socks_wsocket.h"

namespace vorn {

// A socket that can hand received data over a line at a time: in line mode the data is gathered,
// and each line (with its `LineEnd`) becomes the pending line that OnDataAvailable's reader takes
// with Receive.
class TCustomLineWSocket : public TCustomSocksWSocket {
 public:
  explicit TCustomLineWSocket(std::function<void(TCustomWSocket*)> release = nullptr);

  bool LineMode() const { return line_mode_; }
  // Switching with data held hands that data over in the new way (a posted task).
  void SetLineMode(bool value);
  std::string LineEnd = "\r\n";
  int LineLimit = 65536;
  bool LineEcho = false;
  bool LineEdit = false;

  // Held bytes passed LineLimit; a `clear` left true drops them.
  std::function<void(TCustomWSocket&, long count, bool& clear)> OnLineLimitExceeded;
  // Named by the component's events; nothing fires it.
  Notify OnLineTooLong;

  // In line mode the pending line's length (0 when no whole line is held).
  long RcvdCount() override;
  int Receive(void* buffer, int size) override;

  // Bytes received and not yet handed over.
  std::size_t HeldCount() const { return held_end_ - held_start_; }

 protected:
  bool TriggerDataAvailable(int error) override;
  void TriggerSessionClosed(int error) override;
  void ResetSocket() override;

 private:
  // Reads what the system holds into the line buffer; false when nothing came.
  bool ReadIntoLineBuffer();
  void AppendEdited(const char* data, std::size_t count);
  void MakeRoom(std::size_t count);
  void Consume(std::size_t count);
  // Hands over every whole line held, while the reader takes them.
  void DeliverLines();
  void CheckLineLimit();
  void LineModeChanged();
  // Fires OnDataAvailable until the reader stops taking from the pending line.
  void OfferPendingLine();

  bool line_mode_ = false;
  std::vector<char> buffer_;
  std::size_t held_start_ = 0;
  std::size_t held_end_ = 0;
  // Held bytes before this index hold no LineEnd that starts there, so no byte is scanned twice.
  std::size_t scanned_ = 0;
  std::size_t pending_ = 0;
};

}  // namespace vorn

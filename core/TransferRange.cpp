#include "TransferRange.h"

#include <cstddef>
#include <cstdint>

#include "HexText.h"
#include "TransferFiles.h"
#include "TransferPrompts.h"
#include "ZeroedBuffer.h"

namespace zarvello {

void TransferRange(const TransferSettings& settings, std::string_view firstOffsetText,
                   std::string_view lastOffsetText, MessagePrompt& prompt) {
  const std::int32_t first = ReadHex(firstOffsetText);
  const std::int32_t last = ReadHex(lastOffsetText);
  if (PromptIfNoFileChosen(settings, prompt)) return;
  if (last < first) {
    ShowError(prompt, "The last offset " + HexText(last) + " lies before the first offset " +
                          HexText(first) + ".");
    return;
  }
  RunReportingFileErrors(prompt, [&] {
    RollBackCutShortTransfers(settings, prompt);
    // Bytes past the end of the Copy From file arrive as zero.
    const ZeroedBuffer range(static_cast<std::size_t>(std::int64_t{last} - first + 1));
    ReadFromFile(settings.CopyFromFile, first, range.Bytes());
    WriteInPlace(settings.PasteToFile, first, range.Bytes());
    ShowNotice(prompt, "Data transferred.");
  });
}

}  // namespace zarvello

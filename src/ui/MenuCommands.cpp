#include "ui/MenuCommands.h"

#include "commands/Commands.h"
#include "commands/SubtClus.h"

namespace volmar {

Command commandOf(MenuItem item) {
  switch (item) {
    case MenuItem::Open1:
      return open1Click;
    case MenuItem::Parameterize1:
      return parameterize1Click;
    case MenuItem::Subtractiveclustering1:
      return subtractiveclustering1Click;
    default:
      return nullptr;
  }
}

}  // namespace volmar

#include "command.h"

#include <stdlib.h>
#include <sys/wait.h>

int RunCommandLine(const char* command) {
  const int status = system(command);
  if (status == -1) return -1;
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return status;
}

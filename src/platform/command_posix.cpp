#include "platform/command.h"

#include <errno.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdlib.h>

#include <string_view>

#include "platform/code_page.h"

extern char** environ;

namespace {

// Whether commands get SIGXFSZ and SIGPIPE back at their default: set when
// the process, which inherited them so, ignores them for itself.
bool resetFileSizeSignal = false;
bool resetPipeSignal = false;

bool IsIgnored(const struct sigaction& action) {
  return action.sa_handler == SIG_IGN;
}

// Waits for the shell, through interruptions; its status, or -1 with errno.
// Any child is waited for, so that orphans handed to the monitor (as
// process 1, or under a subreaper) are reaped too; their status is dropped.
int WaitForShell(pid_t pid) {
  int status = 0;
  for (;;) {
    const pid_t ended = waitpid(-1, &status, 0);
    if (ended == pid) break;
    if (ended == -1 && errno != EINTR) return -1;
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return status;
}

// Starts /bin/sh -c command with the signal mask and the dispositions the
// caller had before it set them aside for the run. 0 or an error number.
int SpawnShell(const char* command, const sigset_t& mask,
               const struct sigaction& intr, const struct sigaction& quit,
               pid_t* pid) {
  sigset_t toDefault;
  sigemptyset(&toDefault);
  if (!IsIgnored(intr)) sigaddset(&toDefault, SIGINT);
  if (!IsIgnored(quit)) sigaddset(&toDefault, SIGQUIT);
  if (resetFileSizeSignal) sigaddset(&toDefault, SIGXFSZ);
  if (resetPipeSignal) sigaddset(&toDefault, SIGPIPE);

  posix_spawnattr_t attr;
  int error = posix_spawnattr_init(&attr);
  if (error != 0) return error;
  error = posix_spawnattr_setsigdefault(&attr, &toDefault);
  if (error == 0) error = posix_spawnattr_setsigmask(&attr, &mask);
  if (error == 0) {
    error = posix_spawnattr_setflags(
        &attr, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
  }
  if (error == 0) {
    char sh[] = "sh";
    char dashC[] = "-c";
    char* argv[] = {sh, dashC, const_cast<char*>(command), nullptr};
    error = posix_spawn(pid, "/bin/sh", nullptr, &attr, argv, environ);
  }
  posix_spawnattr_destroy(&attr);
  return error;
}

// Ends the monitor as a default disposition would elsewhere; process 1 gets
// no default. A line being written is finished first: the log holds these
// signals while it writes.
void EndBySignal(int signal) { _exit(128 + signal); }

// Ignores signal, and says whether it was at its default before.
bool IgnoreInherited(int signal) {
  struct sigaction ignore = {}, inherited = {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  sigaction(signal, &ignore, &inherited);
  return !IsIgnored(inherited);
}

}  // namespace

void PrepareProcessSignals() {
  // A parent may leave SIGCHLD ignored, and then waitpid finds no child, or
  // blocked, which every command would inherit. Every other inherited
  // setting stays as the parent chose it.
  struct sigaction action = {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  sigaction(SIGCHLD, &action, nullptr);
  sigset_t chld;
  sigemptyset(&chld);
  sigaddset(&chld, SIGCHLD);
  sigprocmask(SIG_UNBLOCK, &chld, nullptr);

  // A write past the file-size limit, or to a FIFO or pipe whose reader has
  // gone, then fails instead of ending the process.
  resetFileSizeSignal = IgnoreInherited(SIGXFSZ);
  resetPipeSignal = IgnoreInherited(SIGPIPE);

  if (getpid() == 1) {
    action.sa_handler = EndBySignal;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
  }
}

void ReapEndedChildren() {
  int status = 0;
  while (waitpid(-1, &status, WNOHANG) > 0) {
  }
}

namespace {

// As system does: the caller ignores SIGINT and SIGQUIT and holds SIGCHLD
// back until it has waited, so neither a keyboard signal meant for the
// command nor a handler reaping children can interfere.
struct HeldSignals {
  struct sigaction intr = {};
  struct sigaction quit = {};
  sigset_t mask;
};

void HoldSignals(HeldSignals& held) {
  struct sigaction ignore = {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  sigaction(SIGINT, &ignore, &held.intr);
  sigaction(SIGQUIT, &ignore, &held.quit);
  sigset_t chld;
  sigemptyset(&chld);
  sigaddset(&chld, SIGCHLD);
  sigprocmask(SIG_BLOCK, &chld, &held.mask);
}

void RestoreSignals(const HeldSignals& held) {
  sigaction(SIGINT, &held.intr, nullptr);
  sigaction(SIGQUIT, &held.quit, nullptr);
  sigprocmask(SIG_SETMASK, &held.mask, nullptr);
}

}  // namespace

int RunCommandLine(const char* command) {
  const int savedErrno = errno;
  // The shell, the names it opens and the programs it starts take UTF-8.
  // Memory for it is the start's, as the shell's own: without it the shell
  // cannot be started.
  const std::string_view text(command == nullptr ? "" : command);
  char* utf8 = static_cast<char*>(malloc(3 * text.size() + 1));
  if (utf8 == nullptr) {
    errno = ENOMEM;
    return -1;
  }
  utf8[Cp1252ToUtf8(text, utf8)] = '\0';
  HeldSignals held;
  HoldSignals(held);
  pid_t pid = 0;
  const int spawnError =
      SpawnShell(utf8, held.mask, held.intr, held.quit, &pid);
  int result = -1;
  int error = spawnError;
  if (spawnError == 0) {
    result = WaitForShell(pid);
    error = result == -1 ? errno : savedErrno;
  }
  RestoreSignals(held);
  free(utf8);
  errno = error;
  return result;
}

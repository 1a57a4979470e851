#!/bin/bash
# The zsh completion as `fennick completion zsh` prints it: it parses, and in a real interactive
# zsh with compinit, on a pseudo-terminal, a TAB completes or lists what the program takes, both
# when the file is autoloaded from fpath as _fennick and when it is sourced after compinit.
set -u
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../shell_helpers.sh
. "$here/../shell_helpers.sh"
setup_home

mkdir -p "$work/fpath" "$work/files"
script="$work/fpath/_fennick"
"$FENNICK_BIN" completion zsh >"$script" || fail "fennick completion zsh failed"
checks=$((checks + 2))
out=$(zsh -f -n "$script" 2>&1) || fail "zsh -n: $out"
[ "$(head -n 1 "$script")" = '#compdef fennick' ] || fail "the first line is not #compdef fennick"
: >"$work/files/notes.ini"

# Keys typed at the prompt ("<TAB>" for the key) | what follows: "runs ARGS" when Enter then
# runs fennick with ARGS (fennick is a function printing them), or "lists WORD..." when the
# screen then shows every WORD.
cases=(
  'fennick se<TAB>|runs set'
  'fennick font ins<TAB>|runs font install'
  'fennick set pathbar.sha<TAB>|runs set pathbar.shape'
  'fennick set pathbar.shape tab_b<TAB>|runs set pathbar.shape tab_bottom'
  'fennick set bold tr<TAB>|runs set bold true'
  'fennick set bold true terminal.sty<TAB>|runs set bold true terminal.style'
  'fennick list si<TAB>|runs list sidebar'
  'fennick palette ac<TAB>|runs palette achroma'
  'fennick uninstall <TAB>|runs uninstall --yes'
  'fennick export no<TAB>|runs export notes.ini'
  'fennick <TAB>|lists gui palette man settings window change settings, then apply'
  'fennick font <TAB>|lists check install use restore'
  'fennick set pathbar.shape <TAB>|lists custom square soft round pill tab tab_bottom leaf leaf_reverse'
  'fennick get -<TAB>|lists -h --help'
)

# Drives an interactive zsh -f on a pseudo-terminal: sets it up with the line given first, then
# types each case read from standard input and prints one line for it after a "=": the arguments
# fennick ran with, or the words that did not show (none when all did).
cat >"$work/drive.py" <<'EOF'
import fcntl, os, pty, re, select, struct, sys, termios, time

setup = sys.argv[1]
cases = [line.rstrip("\n").split("|", 1) for line in sys.stdin if line.strip()]
pid, fd = pty.fork()
if pid == 0:
    os.execvp("zsh", ["zsh", "-f", "-i"])
fcntl.ioctl(fd, termios.TIOCSWINSZ, struct.pack("HHHH", 60, 200, 0, 0))
screen = ""

def clean(text):  # the screen text without escape sequences and control characters but \n
    return re.sub(r"\x1b(\[[0-9;?]*[ -/]*[@-~]|[()][0-9A-Za-z]|[=>])|[\x00-\x09\x0b-\x1f]", "", text)

def wait_for(pattern, seconds=10):
    global screen
    deadline = time.time() + seconds
    while True:
        found = re.search(pattern, clean(screen))
        if found:
            return found
        left = deadline - time.time()
        if left <= 0 or not select.select([fd], [], [], left)[0]:
            return None
        try:
            screen += os.read(fd, 65536).decode("utf-8", "replace")
        except OSError:
            return None

def type_keys(keys):
    os.write(fd, keys.replace("<TAB>", "\t").encode())

# The prompt is READY> but the typed line that sets it does not show those letters together.
type_keys("PS1='READ''Y> '; " + setup + "\r")
if not wait_for(r"READY> "):
    sys.exit("zsh gave no prompt after the set-up; the screen: " + clean(screen))
for keys, expected in cases:
    screen = ""
    kind, _, words = expected.partition(" ")
    type_keys(keys)
    if kind == "runs":
        # zsh does not complete while keys wait: Enter once the completed line shows.
        wait_for(re.escape("fennick " + words), 5)
        type_keys("\r")
        found = wait_for(r"ARGS<([^>]*)>")
        print("=" + (found.group(1) if found else "nothing ran; the screen: " + repr(clean(screen))))
    else:
        wanted = words.split(" ")
        wait_for("".join("(?=[\\s\\S]*" + re.escape(w) + ")" for w in wanted), 5)
        shown = clean(screen)
        print("=" + " ".join(w for w in wanted if w not in shown))
        type_keys("\x15\r")
    sys.stdout.flush()
    if not wait_for(r"READY> $"):
        sys.exit("no prompt after " + repr(keys) + "; the screen: " + repr(clean(screen)))
type_keys("exit\r")
os.waitpid(pid, 0)
EOF

# fennick is a function that prints its arguments; the quotes keep the typed set-up line from
# showing ARGS<.
runner='fennick() { print -r -- "AR""GS<$*>"; }'
for mode in autoload source; do
  if [ "$mode" = autoload ]; then
    setup="fpath=(${work@Q}/fpath \$fpath); autoload -Uz compinit; compinit -u -D; $runner"
  else
    setup="autoload -Uz compinit; compinit -u -D; source ${script@Q}; $runner"
  fi
  replies=$(cd "$work/files" && printf '%s\n' "${cases[@]}" |
    TERM=xterm timeout 120 python3 "$work/drive.py" "$setup" 2>&1)
  mapfile -t replies <<<"$replies"
  replies=("${replies[@]#=}")
  check_eq "$mode: one reply per case" "${#cases[@]}" "${#replies[@]}"
  for i in "${!cases[@]}"; do
    keys=${cases[i]%%|*}
    expected=${cases[i]#*|}
    case $expected in
      runs\ *) check_eq "$mode: $(show "$keys") then Enter runs" "${expected#runs }" "${replies[i]-<no reply>}" ;;
      *) check_eq "$mode: $(show "$keys") lists everything; missing" '' "${replies[i]-<no reply>}" ;;
    esac
  done
done

finish

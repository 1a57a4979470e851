#!/bin/sh
# Runs, as the user nobody, the tests that skip when run as root (permission bits do not stop
# root, and root reads every file), so that a run as root still executes them. The test program
# and the program it runs are copied into a fresh folder that nobody can reach, whatever the
# permissions of the build folder. Every test named must run and pass; a skip is a failure.
# Argument: the build folder.
set -eu
build=$1
tests='ShellHookTest.AnUnreadableBashrcStopsBeforeAnyWrite
TextFileTest.AnUnreadableFileIsAnError
TextFileTest.CopyOfAnUnreadableFileFails
ExportImportTest.ExportIntoAReadOnlyFolder
ExportImportTest.ImportOfAnUnreadableFile
AtomicFileTest.ReadOnlyFolderGivesPermissionDenied
AtomicFileTest.OwnerAndGroupOfAReplacedFileAreKept
ErrorPathsTest.UnreadableSettingsFileStopsEveryCommand
ErrorPathsTest.ReadOnlyConfigurationFolderLeavesEveryFileAlone
SettingsFileCommandsTest.FailedMigrationIsIgnoredAndTriedAgain'
dir=$(mktemp -d "${TMPDIR:-/tmp}/fennick-unprivileged.XXXXXX")
trap 'rm -rf "$dir"' EXIT
cp "$build/fennick" "$build/tests/fennick_tests" "$dir/"
mkdir "$dir/tmp"
chown nobody:nogroup "$dir/tmp"
chmod 755 "$dir"
filter=$(printf '%s' "$tests" | tr '\n' ':')
count=$(printf '%s\n' "$tests" | wc -l)
out="$dir/output"
status=0
setpriv --reuid=nobody --regid=nogroup --clear-groups \
  env HOME="$dir/tmp" TMPDIR="$dir/tmp" FENNICK_TEST_BINARY="$dir/fennick" \
  "$dir/fennick_tests" --gtest_filter="$filter" >"$out" 2>&1 || status=$?
cat "$out"
passed=$(grep -c '^\[       OK \]' "$out" || true)
if [ "$status" -ne 0 ] || [ "$passed" -ne "$count" ] || grep -q '^\[  SKIPPED \]' "$out"; then
  echo "unprivileged tests: $passed of $count passed as nobody (exit $status)" >&2
  exit 1
fi
echo "unprivileged tests: all $count passed as nobody"

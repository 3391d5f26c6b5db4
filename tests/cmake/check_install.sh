#!/usr/bin/env bash
# An installation works moved to another folder, with no environment variable, from any folder:
# the RPATHs, the image-file module and the plug-in folder are all found relative to the files.
# And the command line itself loads neither the GUI libraries nor OpenImageIO.
# Usage: check_install.sh BUILD_DIR VERSION plain|sanitized
set -euo pipefail
build=$1
version=$2
# Sanitized builds load OpenImageIO at start (see CMakeLists.txt).
kind=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake --install "$build" --prefix "$work/installed" >/dev/null
mv "$work/installed" "$work/moved"
prefix=$work/moved
cd "$work"
unset QUILLMAR_PLUGIN_PATH QUILLMAR_PROJECT_PATH
export XDG_CONFIG_HOME=$work/config

fail() { echo "check_install: $*" >&2; exit 1; }

[ "$("$prefix/bin/quillmar" --version)" = "quillmar $version" ] || fail "quillmar --version"
if [ "$kind" = plain ] && ldd "$prefix/bin/quillmar" | grep -E 'libQt6(Gui|Widgets)|libOpenImageIO'; then
    fail "quillmar links a GUI or image-file library at start"
fi
# octaves writes a picture (the image-file module); nested runs a project packed inside another.
"$prefix/bin/quillmar" run "$prefix/share/quillmar/examples/octaves.qmr" --set iterations=2 -o out \
    >/dev/null 2>errors || fail "run octaves"
[ -s out/image.png ] || fail "no picture written"
"$prefix/bin/quillmar" info "$prefix/share/quillmar/examples/nested.qmr" >/dev/null 2>>errors ||
    fail "info nested"
# The Python module, where a build has it, finds the host library and the plug-in as installed.
for package in "$prefix"/lib/python3*/dist-packages; do
    [ -d "$package/quillmar" ] || continue
    PYTHONPATH=$package /usr/bin/python3 -c '
import sys, quillmar
project = quillmar.Project(sys.argv[1])
assert project.run(iterations=2, inputs={"total": 10, "growth": 1})["outputs"]
' "$prefix/share/quillmar/examples/frames.qmr" 2>>errors || fail "python module"
done
[ ! -s errors ] || fail "$(cat errors)"
echo "installed tree works"

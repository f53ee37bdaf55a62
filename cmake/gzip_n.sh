#!/bin/sh
# gzip_n.sh IN OUT: IN compressed into OUT as Debian wants it (best compression, no name, no time).
exec gzip -9n <"$1" >"$2"

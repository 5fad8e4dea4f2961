# Sourced by the scripts that drive the real program on an X screen.
# visible NAME: the id of a visible window whose title matches NAME, or nothing.
visible() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1; }
# wait_visible NAME: polls for such a window for up to 20 s and prints its id
# (nothing if it never comes). Polled rather than xdotool's --sync: a search
# that meets a window being destroyed (a menu's popup) dies of an X error
# instead of going on.
wait_visible() {
  local id=""
  for _ in $(seq 200); do
    id=$(visible "$1")
    [ -n "$id" ] && break
    sleep 0.1
  done
  echo "$id"
}

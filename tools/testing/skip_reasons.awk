# Lists each skipped test of a ctest JUnit report (ctest --output-junit) with
# the reason it gave, as ctest itself prints none:
#   awk -f skip_reasons.awk build/ctest.xml
# A reason is what GoogleTest prints under "...: Skipped", a line that starts
# with "Skipping: " (the desktop tests), or the sound-server wrapper's
# "with_sound_server: " line. A skipped test that gave none of those shows its
# last line of output.
function unescape(s) {
  gsub(/&lt;/, "<", s); gsub(/&gt;/, ">", s); gsub(/&quot;/, "\"", s); gsub(/&apos;/, "'", s)
  gsub(/&amp;/, "\\&", s)
  return s
}
function add(reason) {
  sub(/^[ \t]+/, "", reason)
  if (reason != "" && !((name, reason) in seen)) {
    seen[name, reason] = 1
    reasons = reasons (reasons == "" ? "" : "; ") reason
  }
}
function report() {
  if (!skipped) return
  if (reasons == "") add(last)
  if (count++ == 0) print "\nWhy the skipped tests did not run:"
  print "  " name ": " reasons
}
/<testcase / {
  report()
  name = $0; sub(/.*<testcase name="/, "", name); sub(/".*/, "", name); name = unescape(name)
  skipped = 0; inOut = 0; underSkipped = 0; reasons = ""; last = ""
  next
}
/<skipped / { skipped = 1; next }
{
  line = $0
  if (sub(/.*<system-out>/, "", line)) inOut = 1
  if (!inOut) next
  if (sub(/<\/system-out>.*/, "", line)) inOut = 0
  line = unescape(line)
  if (line ~ /^\[/) underSkipped = 0
  else if (underSkipped) add(line)
  if (line ~ /: Skipped$/) underSkipped = 1
  else if (line ~ /^Skipping: /) add(substr(line, 11))
  else if (line ~ /with_sound_server: /) { sub(/.*with_sound_server: /, "", line); add(line) }
  if (line ~ /[^ \t]/) last = line
}
END { report() }

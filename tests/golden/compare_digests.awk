# Compares two digest files of tessivane-headless --digest: the expected one
# (first file) and the one a run gave (second file). Prints the first moment
# and the first member whose value differs, in the expected file's order of
# members, and exits 1; exits 0 when every member the expected file holds
# has the same value at every moment. Members only the run has are new ones
# and are not compared.
# Usage: awk -f compare_digests.awk EXPECTED ACTUAL
FNR == 1 { file++ }
/^@/ {
  at = substr($0, 2)
  if (file == 1) moments[++momentCount] = at
  else seen[at] = 1
  next
}
NF == 2 {
  if (file == 1) {
    if (!(($1) in known)) { known[$1] = 1; order[++memberCount] = $1 }
    expected[at, $1] = $2
  } else {
    actual[at, $1] = $2
  }
}
END {
  for (i = 1; i <= momentCount; i++) {
    at = moments[i]
    if (!(at in seen)) {
      printf "the run ended before %s ms, the expected digests go on\n", at
      exit 1
    }
    for (k = 1; k <= memberCount; k++) {
      name = order[k]
      if ((at, name) in expected) e[name] = expected[at, name]
      if ((at, name) in actual) a[name] = actual[at, name]
      if (e[name] != a[name]) {
        printf "first difference at %s ms (second %d): %s\n", at, at / 1000, (a[name] == "" ? name " is missing" : name)
        exit 1
      }
    }
  }
  printf "%d moments, %d members: all equal\n", momentCount, memberCount
}

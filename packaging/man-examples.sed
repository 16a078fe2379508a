# SPDX-License-Identifier: MIT
# help2man sets the "$ " example lines of --help as filled text, which breaks a long
# command in two: they are set as they are.
/^\\f(CW\$ /{
s/^/.nf\n/
s/$/\n.fi/
}

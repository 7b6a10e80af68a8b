"""`python -m kalendo`: the command line tool."""

from kalendo._cli import main

raise SystemExit(main())

#!/usr/bin/env python3
"""Checks a JSON document against a JSON Schema: validate-json.py SCHEMA DOCUMENT.
Prints the first error and exits 1 when the document does not conform."""
import json
import sys

import jsonschema

schema = json.load(open(sys.argv[1], encoding="utf-8"))
document = json.load(open(sys.argv[2], encoding="utf-8"))
jsonschema.Draft202012Validator.check_schema(schema)
errors = sorted(jsonschema.Draft202012Validator(schema).iter_errors(document), key=str)
if errors:
    print(f"{list(errors[0].absolute_path)}: {errors[0].message}")
    sys.exit(1)

#!/usr/bin/env bash
# Makes the certificates and keys of the token tree tests with OpenSSL, and
# writes what OpenSSL reads from them to expected.txt. Run once; the output is
# kept in the repository.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

openssl genrsa -out ca.key 2048 2>/dev/null
openssl genrsa -out alice.key 2048 2>/dev/null
openssl genpkey -algorithm RSA -pkeyopt rsa_keygen_bits:1024 -pkeyopt rsa_keygen_pubexp:3 -out bob.key 2>/dev/null
openssl genrsa -out nocn.key 2048 2>/dev/null

cat >"$work/ca.cnf" <<CNF
[ ca ]
default_ca = test
[ test ]
dir = $work
database = $work/index.txt
new_certs_dir = $work
serial = $work/serial
default_md = sha256
policy = any
unique_subject = no
[ any ]
countryName = optional
commonName = optional
organizationName = optional
[ ca_ext ]
basicConstraints = CA:TRUE
[ user_critical ]
basicConstraints = critical, CA:FALSE
[ user_plain ]
subjectKeyIdentifier = hash
CNF
: >"$work/index.txt"
echo 1A2B3C01 >"$work/serial"

sign() { # name subject extensions signer-cert signer-key
  openssl req -new -key "$1.key" -subj "$2" -out "$work/$1.csr"
  if [ "$4" = self ]; then
    openssl ca -batch -config "$work/ca.cnf" -selfsign -keyfile "$1.key" -in "$work/$1.csr" \
      -extensions "$3" -startdate 151118103937Z -enddate 351118103937Z -out "$work/$1.out" 2>/dev/null
  else
    openssl ca -batch -config "$work/ca.cnf" -cert "$4" -keyfile "$5" -in "$work/$1.csr" \
      -extensions "$3" -startdate 200229235958Z -enddate 300101000000Z -out "$work/$1.out" 2>/dev/null
  fi
  openssl x509 -in "$work/$1.out" -out "$1.pem"
}
sign ca "/C=IT/CN=Tree Test CA" ca_ext self
sign alice "/C=IT/CN=Alice Tree" user_critical ca.pem ca.key
sign bob "/CN=Bob Tree" user_plain ca.pem ca.key
sign nocn "/C=SI/O=Tree Org" user_plain ca.pem ca.key
rm ca.key

{
  for c in ca alice bob nocn; do
    echo "$c $(openssl x509 -in $c.pem -noout -serial)"
    echo "$c $(openssl x509 -in $c.pem -noout -startdate)"
    echo "$c $(openssl x509 -in $c.pem -noout -enddate)"
    echo "$c $(openssl x509 -in $c.pem -noout -subject -nameopt RFC2253)"
    echo "$c $(openssl x509 -in $c.pem -noout -issuer -nameopt RFC2253)"
    echo "$c $(openssl x509 -in $c.pem -noout -modulus)"
  done
  openssl x509 -in alice.pem -noout -text | grep -A1 'Basic Constraints'
  openssl x509 -in ca.pem -noout -text | grep -A1 'Basic Constraints'
  openssl x509 -in bob.pem -noout -text | grep 'Exponent'
} >expected.txt

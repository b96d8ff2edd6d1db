#!/usr/bin/env bash
# Makes the reference backend's TEST-ONLY TLS material with the openssl
# command line. None of it may ever be trusted outside the tests.
#
#   test-root      -> test-intermediate -> test-leaf          (pinned, the demo chain)
#   test-backup.key                                           (backup pin, no certificate)
#   interceptor-root -> interceptor-leaf                      (a re-signing product: matches no pin)
#   forged-leaf: claims test-intermediate as issuer but is signed by another key
#   wronghost-leaf: a genuine leaf from test-intermediate for other.example only
#
# Prints the four demo pins (root, intermediate, leaf, backup) at the end.
set -euo pipefail
cd "$(dirname "$0")/certs"
days=7300

key() { openssl genpkey -algorithm RSA -pkeyopt rsa_keygen_bits:2048 -out "$1" 2>/dev/null; }

ca_ext=$(mktemp); leaf_ext=$(mktemp); trap 'rm -f "$ca_ext" "$leaf_ext" ./*.csr ./*.srl' EXIT
printf 'basicConstraints=critical,CA:TRUE\nkeyUsage=critical,keyCertSign,cRLSign\nsubjectKeyIdentifier=hash\nauthorityKeyIdentifier=keyid:always\n' > "$ca_ext"

leaf_names="DNS:localhost,IP:127.0.0.1,DNS:tovrel.localhost,DNS:*.tovrel.localhost,DNS:vidshare.localhost,DNS:www.vidshare.localhost,DNS:vid.localhost,DNS:meet.localhost,DNS:*.meet.localhost"
write_leaf_ext() {
  printf 'basicConstraints=critical,CA:FALSE\nkeyUsage=critical,digitalSignature,keyEncipherment\nextendedKeyUsage=serverAuth\nsubjectAltName=%s\n' "$1" > "$leaf_ext"
}

# Pinned chain.
key test-root.key
openssl req -x509 -new -key test-root.key -subj "/O=Pellaro Test/CN=Pellaro Test Root CA" -days $days \
  -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign,cRLSign -out test-root.pem
key test-intermediate.key
openssl req -new -key test-intermediate.key -subj "/O=Pellaro Test/CN=Pellaro Test Intermediate CA" -out inter.csr
openssl x509 -req -in inter.csr -CA test-root.pem -CAkey test-root.key -CAcreateserial -days $days \
  -extfile "$ca_ext" -out test-intermediate.pem 2>/dev/null
key test-leaf.key
openssl req -new -key test-leaf.key -subj "/O=Pellaro Test/CN=localhost" -out leaf.csr
write_leaf_ext "$leaf_names"
openssl x509 -req -in leaf.csr -CA test-intermediate.pem -CAkey test-intermediate.key -CAcreateserial -days $days \
  -extfile "$leaf_ext" -out test-leaf.pem 2>/dev/null
cat test-leaf.pem test-intermediate.pem test-root.pem > test-chain.pem
key test-backup.key

# Interceptor: its own root, the same names plus intercept.tovrel.localhost.
key interceptor-root.key
openssl req -x509 -new -key interceptor-root.key -subj "/O=Interceptor Test/CN=Interceptor Test Root" -days $days \
  -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign,cRLSign -out interceptor-root.pem
key interceptor-leaf.key
openssl req -new -key interceptor-leaf.key -subj "/O=Interceptor Test/CN=localhost" -out icpt.csr
write_leaf_ext "$leaf_names,DNS:intercept.tovrel.localhost"
openssl x509 -req -in icpt.csr -CA interceptor-root.pem -CAkey interceptor-root.key -CAcreateserial -days $days \
  -extfile "$leaf_ext" -out interceptor-leaf.pem 2>/dev/null
cat interceptor-leaf.pem interceptor-root.pem > interceptor-chain.pem

# Forged: issuer name of the pinned intermediate, signature of an unrelated key
# (a self-made CA certificate with the intermediate's subject).
key forged-issuer.key
openssl req -x509 -new -key forged-issuer.key -subj "/O=Pellaro Test/CN=Pellaro Test Intermediate CA" -days $days \
  -addext basicConstraints=critical,CA:TRUE -out forged-issuer.pem
key forged-leaf.key
openssl req -new -key forged-leaf.key -subj "/O=Pellaro Test/CN=forged.tovrel.localhost" -out forged.csr
write_leaf_ext "DNS:forged.tovrel.localhost,DNS:localhost,IP:127.0.0.1"
openssl x509 -req -in forged.csr -CA forged-issuer.pem -CAkey forged-issuer.key -CAcreateserial -days $days \
  -extfile "$leaf_ext" -out forged-leaf.pem 2>/dev/null
# Served with the genuine intermediate and root behind it.
cat forged-leaf.pem test-intermediate.pem test-root.pem > forged-chain.pem
rm -f forged-issuer.key

# Genuine leaf from the pinned intermediate, for another name only.
key wronghost-leaf.key
openssl req -new -key wronghost-leaf.key -subj "/O=Pellaro Test/CN=other.example" -out wrong.csr
write_leaf_ext "DNS:other.example"
openssl x509 -req -in wrong.csr -CA test-intermediate.pem -CAkey test-intermediate.key -CAcreateserial -days $days \
  -extfile "$leaf_ext" -out wronghost-leaf.pem 2>/dev/null
cat wronghost-leaf.pem test-intermediate.pem test-root.pem > wronghost-chain.pem

spki_pin() { openssl pkey -in "$1" -pubout -outform der 2>/dev/null | openssl dgst -sha256 -binary | base64; }
for k in test-root test-intermediate test-leaf test-backup; do
  echo "$k $(spki_pin $k.key)"
done | tee pins.txt

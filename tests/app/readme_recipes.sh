#!/usr/bin/env bash
# Runs the README's Slurm and GNU parallel recipes of agvsim-sweep on this machine: their
# command lines as written, on a smaller grid, one shard after another in place of the
# array tasks and the remote hosts; then their merge, which must be the unsharded table.
# Usage: readme_recipes.sh README.md BUILD_DIR
set -euo pipefail
readme=$(realpath "$1")
build=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir -p build/src bin
ln -s "$build/src/agvsim-sweep" build/src/agvsim-sweep
ln -s "$build/src/agvsim-sweep" bin/agvsim-sweep
export PATH="$work/bin:$PATH"
# 200 x 200 points take hours; 5 x 5 give each of the 16 shards a point or two.
small() { sed -e 's/:200\b/:5/g'; }

# Slurm: the batch script from its first line to the merge, run once per array task.
sed -n '/^    #!\/bin\/bash$/,/agvsim-sweep --merge/p' "$readme" | sed 's/^    //' | small >job.sh
grep -q -- '--shard "$SLURM_ARRAY_TASK_ID/16"' job.sh
tasks=$(sed -n 's/^#SBATCH --array=\([0-9]*\)-\([0-9]*\)$/\1 \2/p' job.sh)
[ -n "$tasks" ]
sed '/^# afterwards/,$d' job.sh >task.sh
for id in $(seq $tasks); do
  SLURM_ARRAY_TASK_ID=$id SLURM_CPUS_PER_TASK=1 bash task.sh 2>/dev/null
done
sed -n '/^agvsim-sweep --merge/p' job.sh >merge.sh
[ -s merge.sh ]
bash merge.sh
sweep=$(grep -o 'agvsim-sweep --curve[^\\]*' job.sh | sed 's/--jobs.*//')
$sweep --csv - >whole.csv 2>/dev/null
cmp all.csv whole.csv
rm -f shard-*.csv all.csv whole.csv

# GNU parallel: the command after the host options, with {} for each input of seq.
recipe=$(sed -n '/^    seq 0 7 | parallel/,/^    build\/src\/agvsim-sweep --merge/p' "$readme" |
  sed 's/^    //' | small)
inputs=$(echo "$recipe" | sed -n 's/^seq \([0-9]*\) \([0-9]*\) | parallel.*/\1 \2/p')
command=$(echo "$recipe" | sed -n '2p' | sed 's/^ *//')
[ -n "$inputs" ] && [ -n "$command" ]
for i in $(seq $inputs); do
  eval "${command//\{\}/$i}" 2>/dev/null
done
eval "$(echo "$recipe" | sed -n '3p')"
whole=$(echo "$command" | sed -e 's/--shard [^ ]*//' -e 's/--csv [^ ]*//')
eval "$whole --csv -" >whole.csv 2>/dev/null
cmp all.csv whole.csv
echo "both recipes merge to the unsharded table"

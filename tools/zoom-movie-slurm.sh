#!/usr/bin/env bash
# The keyframes of a zoom movie as a Slurm array job: task T computes keyframes T*PER to
# T*PER+PER-1 (PER = $ZENOLITH_KEYFRAMES_PER_TASK, default 4) into the keyframe folder, which
# every node must see (a shared file system). The arguments are zenolith-render's for the
# movie, the same in every task and in the run that assembles it. For example:
#
#   args=(deep.zlf --movie zoom.mp4 --size 3840x2160 --fps 60)
#   n=$(zenolith-render "${args[@]}" --keyframe-count)
#   job=$(sbatch --parsable --array=0-$(( (n + 3) / 4 - 1 )) tools/zoom-movie-slurm.sh "${args[@]}")
#   sbatch --dependency=afterok:$job --wrap "zenolith-render ${args[*]} --assemble"
#
# A task that was killed is run again as it was: the keyframes it finished stay.
#SBATCH --job-name=zenolith-keyframes
#SBATCH --cpus-per-task=8
#SBATCH --output=zenolith-keyframes-%A_%a.log
set -euo pipefail
render="${ZENOLITH_RENDER:-zenolith-render}"
per="${ZENOLITH_KEYFRAMES_PER_TASK:-4}"
task="${SLURM_ARRAY_TASK_ID:?run this as a Slurm array job (sbatch --array=...)}"
count="$("$render" "$@" --keyframe-count)"
first=$(( task * per ))
last=$(( first + per - 1 < count - 1 ? first + per - 1 : count - 1 ))
if (( first >= count )); then
  echo "task $task: no keyframes left (the movie has $count)"
  exit 0
fi
threads=()
if [ -n "${SLURM_CPUS_PER_TASK:-}" ]; then threads=(--threads "$SLURM_CPUS_PER_TASK"); fi
exec "$render" "$@" --keyframes "$first-$last" "${threads[@]}"
